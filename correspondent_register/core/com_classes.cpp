#include "correspondent_register/core/com_classes.h"

#include <cinttypes>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "correspondent_register/core/drive_map.h"
#include "correspondent_register/core/library_loader.h"
#include "platform/text/cp1250.h"

namespace fs = std::filesystem;

namespace zorvel {

namespace {

std::string TrimmedKeyPath(const std::string& keyPath) {
  size_t start = keyPath.find_first_not_of('\\');
  if (start == std::string::npos) return {};
  size_t end = keyPath.find_last_not_of('\\');
  return keyPath.substr(start, end - start + 1);
}

}  // namespace

void MemoryClassesRoot::AddKey(const std::string& keyPath,
                               std::optional<std::string> defaultValue) {
  const std::string path = TrimmedKeyPath(keyPath);
  if (path.empty()) return;
  const std::string top = path.substr(0, path.find('\\'));
  if (keys_.find(FoldCase(top)) == keys_.end()) topLevel_.push_back(top);
  for (size_t sep = path.find('\\'); sep != std::string::npos; sep = path.find('\\', sep + 1)) {
    keys_.try_emplace(FoldCase(path.substr(0, sep)));
  }
  Key& key = keys_[FoldCase(path)];
  if (defaultValue) key.defaultValue = std::move(defaultValue);
}

std::optional<std::string> MemoryClassesRoot::DefaultValue(const std::string& keyPath) const {
  auto it = keys_.find(FoldCase(TrimmedKeyPath(keyPath)));
  if (it == keys_.end()) return std::nullopt;
  return it->second.defaultValue.value_or(std::string());
}

std::vector<std::string> MemoryClassesRoot::TopLevelKeys() const { return topLevel_; }

void FindComClassEntry(const ClassesRoot& root, std::string& classId, std::string& progId,
                       std::string& description) {
  if (!classId.empty()) {
    if (!root.DefaultValue("CLSID\\" + classId)) return;
    for (const std::string& key : root.TopLevelKeys()) {
      std::optional<std::string> id = root.DefaultValue("\\" + key + "\\CLSID");
      if (!id || *id != classId) continue;
      progId = key;
      if (std::optional<std::string> text = root.DefaultValue("\\" + key)) description = *text;
      return;
    }
  } else if (!progId.empty()) {
    std::optional<std::string> text = root.DefaultValue("\\" + progId);
    if (!text) return;
    description = *text;
    if (std::optional<std::string> id = root.DefaultValue("\\" + progId + "\\CLSID")) classId = *id;
  } else if (!description.empty()) {
    for (const std::string& key : root.TopLevelKeys()) {
      std::optional<std::string> text = root.DefaultValue("\\" + key);
      if (!text || *text != description) continue;
      progId = key;
      if (std::optional<std::string> id = root.DefaultValue("\\" + key + "\\CLSID")) classId = *id;
      return;
    }
  }
}

bool IsComClassRegistered(const ClassesRoot& root, const std::string& classId,
                          const std::string& progId, const std::string& description) {
  std::string id = classId;
  std::string prog = progId;
  std::string text = description;
  FindComClassEntry(root, id, prog, text);
  return !id.empty() && !prog.empty() && !text.empty();
}

void RegisterOcxLibrary(const DriveMap& drives, const std::string& fileName) {
  // COM needs no initialisation here: no apartment exists on this system.
  std::string shownPath;
  fs::path hostPath;
  if (fileName.find_first_of("\\/:") == std::string::npos) {
    hostPath = ProgramFolder() / (platform::Utf8FromCp1250(fileName) + ".OCX");
    shownPath = platform::Cp1250FromUtf8(hostPath.string());
  } else {
    shownPath = fileName;
    hostPath = drives.HostPath(fileName).value_or(fs::path());
  }

  auto cannotLoad = [&shownPath](uint32_t code) {
    return std::runtime_error("Cannot initialize library " + shownPath +
                              ". Internal Windows error nr" + std::to_string(code) + ".");
  };
  constexpr uint32_t kErrorModNotFound = 126;
  if (hostPath.empty()) throw cannotLoad(kErrorModNotFound);  // drive not mapped
  LoadedLibrary library(hostPath);
  if (!library.Loaded()) throw cannotLoad(library.ErrorCode());
  using RegisterServer = int32_t (*)();
  auto entry = reinterpret_cast<RegisterServer>(library.Symbol("DllRegisterServer"));
  if (entry == nullptr) throw std::runtime_error("Cannot find procedure DllRegister");
  entry();  // its result is not examined, as callers of this routine expect
}

}  // namespace zorvel
