#pragma once
// A temporary folder per test standing in for drives C and F, and recorders
// for the boxes the core shows: the core's state that the tests hand in.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "correspondent_register/core/core_state.h"
#include "correspondent_register/core/startup.h"
#include "correspondent_register/core/texts.h"

namespace zorvel::test {

namespace fs = std::filesystem;

struct Box {
  std::string kind;  // "alert", "box", "error"
  std::string text;
  int flags = 0;
  std::string caption;
  bool operator==(const Box&) const = default;
};

inline std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

class ZorvelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "zorvel-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    base_ = pattern;
    cRoot_ = base_ / "c";
    fRoot_ = base_ / "f";
    fs::create_directories(cRoot_);
    fs::create_directories(fRoot_);
    core.Drives.Map('C', cRoot_);
    core.Drives.Map('F', fRoot_);

    RegisterToolHooks& hooks = core.Hooks;
    hooks.beep = [this] { trace_.push_back("beep"); };
    hooks.delaySeconds = [this](int s) { trace_.push_back("delay " + std::to_string(s)); };
    hooks.showAlert = [this](const std::string& text) {
      boxes_.push_back({"alert", text, kMbIconError, ""});
    };
    hooks.showMessageBox = [this](const std::string& text, int flags, const std::string& caption) {
      boxes_.push_back({"box", text, flags, caption});
    };
    hooks.showErrorBox = [this](const std::string& text) {
      boxes_.push_back({"error", text, 0, ""});
    };

    MailRoot = kDefaultMailRoot;
    DataDir.clear();
    ConfiguredRoot.clear();
    ConfigFilePath = std::string(kCompanyFolder) + "\\" + kConfigFileName;
    LegacyIniPath = kLegacyIniFile;
  }

  void TearDown() override {
    std::error_code ec;
    fs::permissions(base_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(base_, ec);
  }

  // Host files below the drives' folders.
  fs::path C(const std::string& rel) const { return cRoot_ / rel; }
  fs::path F(const std::string& rel) const { return fRoot_ / rel; }

  static void Touch(const fs::path& path, const std::string& bytes = "") {
    fs::create_directories(path.parent_path());
    WriteBytes(path, bytes);
  }

  // Names of the entries of a host folder, sorted.
  static std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path base_, cRoot_, fRoot_;
  // The drive map (C and F above) and the recording hooks.
  CoreState core;
  // The paths the program's session would own, under their own names.
  RegisterPaths paths;
  std::string& MailRoot = paths.MailRoot;
  std::string& DataDir = paths.DataDir;
  std::string& ConfiguredRoot = paths.ConfiguredRoot;
  std::string& ConfigFilePath = paths.ConfigFilePath;
  std::string& LegacyIniPath = paths.LegacyIniPath;
  std::string& DefaultRegisterPath = paths.DefaultRegisterPath;
  std::vector<std::string> trace_;
  std::vector<Box> boxes_;
};

}  // namespace zorvel::test
