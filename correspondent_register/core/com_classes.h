#pragma once
// COM class lookup in the classes branch of the registry and self-
// registration of a control library. No window of the tool starts them (the
// register window's Button1Click is bound to no control). Linux has no
// registry: the program's classes root (CoreState::Classes) is empty unless a
// host sets one; tests use MemoryClassesRoot.
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zorvel {

class DriveMap;

// Read-only view of HKEY_CLASSES_ROOT. Key paths are relative to the root,
// backslash-separated, a leading backslash allowed; key names compare
// without regard to case, as in the registry.
class ClassesRoot {
 public:
  virtual ~ClassesRoot() = default;
  // The default value of a key: nullopt when the key cannot be opened, the
  // empty string when it has no default value.
  virtual std::optional<std::string> DefaultValue(const std::string& keyPath) const = 0;
  // Names of the top-level keys, in the registry's order.
  virtual std::vector<std::string> TopLevelKeys() const = 0;
};

// A registry without keys: what the tool sees on Linux.
class EmptyClassesRoot : public ClassesRoot {
 public:
  std::optional<std::string> DefaultValue(const std::string&) const override {
    return std::nullopt;
  }
  std::vector<std::string> TopLevelKeys() const override { return {}; }
};

// A registry held in memory. Top-level keys are listed in the order of their
// first appearance.
class MemoryClassesRoot : public ClassesRoot {
 public:
  // Makes the key (and its parents); with a value, sets its default value.
  void AddKey(const std::string& keyPath, std::optional<std::string> defaultValue = std::nullopt);
  std::optional<std::string> DefaultValue(const std::string& keyPath) const override;
  std::vector<std::string> TopLevelKeys() const override;

 private:
  struct Key {
    std::optional<std::string> defaultValue;
  };
  std::map<std::string, Key> keys_;  // by folded path
  std::vector<std::string> topLevel_;
};

// Fills in the class identifier (brace form), programmatic identifier and
// description of a class from the first non-empty one of them, in that order.
// What is not found keeps the value it came with.
void FindComClassEntry(const ClassesRoot& root, std::string& classId, std::string& progId,
                       std::string& description);

// True when all three are known after FindComClassEntry on copies.
bool IsComClassRegistered(const ClassesRoot& root, const std::string& classId,
                          const std::string& progId, const std::string& description);

// Loads a control library and runs its "DllRegisterServer". A name without a
// folder is looked for in the program's own folder with ".OCX" added; a
// Windows path goes through the drive map. Raises std::runtime_error:
//   "Cannot initialize library <path>. Internal Windows error nr<code>."
//   "Cannot find procedure DllRegister"
// The entry point's own result is not examined.
// The library is unloaded again on every path.
void RegisterOcxLibrary(const DriveMap& drives, const std::string& fileName);

}  // namespace zorvel
