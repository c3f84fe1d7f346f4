#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include "correspondent_register/core/com_classes.h"
#include "correspondent_register/core/library_loader.h"
#include "zorvel_test_env.h"

namespace zorvel::test {
namespace {

MemoryClassesRoot SampleRegistry() {
  MemoryClassesRoot root;
  root.AddKey("CLSID\\{AAA}", "Alpha");
  root.AddKey("Alpha.Control", "Alpha");
  root.AddKey("Alpha.Control\\CLSID", "{AAA}");
  root.AddKey("CLSID\\{BBB}", "SMTP");
  root.AddKey("\\Beta.Control", "NetManage SMTP");
  root.AddKey("Beta.Control\\CLSID", "{BBB}");
  root.AddKey("Beta.Copy", "NetManage SMTP");
  root.AddKey("Beta.Copy\\CLSID", "{BBB}");
  root.AddKey("Gamma", "Gamma description");  // no CLSID sub-key
  root.AddKey("Delta\\CLSID", "{DDD}");       // no default value, no CLSID\{DDD}
  return root;
}

struct Entry {
  std::string id, prog, text;
  bool operator==(const Entry&) const = default;
};

Entry Find(const ClassesRoot& root, Entry e) {
  FindComClassEntry(root, e.id, e.prog, e.text);
  return e;
}

TEST(FindComClassEntryTest, ByClassIdentifierTheFirstKeyNamingItWins) {
  MemoryClassesRoot root = SampleRegistry();
  EXPECT_EQ(Find(root, {"{BBB}", "", ""}), (Entry{"{BBB}", "Beta.Control", "NetManage SMTP"}));
  // Values compare exactly: the key CLSID\{bbb} opens, but no class names it.
  EXPECT_EQ(Find(root, {"{bbb}", "x", "y"}), (Entry{"{bbb}", "x", "y"}));
  // Without the CLSID\ key nothing is searched, even where a class names it.
  EXPECT_EQ(Find(root, {"{DDD}", "", ""}), (Entry{"{DDD}", "", ""}));
  // The class identifier decides the search even when the others are given.
  EXPECT_EQ(Find(root, {"{AAA}", "Gamma", "Gamma description"}),
            (Entry{"{AAA}", "Alpha.Control", "Alpha"}));
}

TEST(FindComClassEntryTest, ByProgrammaticIdentifierKeyNamesIgnoreCase) {
  MemoryClassesRoot root = SampleRegistry();
  EXPECT_EQ(Find(root, {"", "beta.CONTROL", ""}),
            (Entry{"{BBB}", "beta.CONTROL", "NetManage SMTP"}));
  EXPECT_EQ(Find(root, {"", "Gamma", "old"}), (Entry{"", "Gamma", "Gamma description"}));
  EXPECT_EQ(Find(root, {"", "Delta", "old"}), (Entry{"{DDD}", "Delta", ""}));  // no default: empty
  EXPECT_EQ(Find(root, {"", "Missing", "old"}), (Entry{"", "Missing", "old"}));
}

TEST(FindComClassEntryTest, ByDescriptionExactlyAndInRegistryOrder) {
  MemoryClassesRoot root = SampleRegistry();
  EXPECT_EQ(Find(root, {"", "", "NetManage SMTP"}),
            (Entry{"{BBB}", "Beta.Control", "NetManage SMTP"}));
  EXPECT_EQ(Find(root, {"", "", "netmanage smtp"}), (Entry{"", "", "netmanage smtp"}));
  EXPECT_EQ(Find(root, {"", "", "Gamma description"}), (Entry{"", "Gamma", "Gamma description"}));
  EXPECT_EQ(Find(root, {"", "", ""}), (Entry{"", "", ""}));
}

TEST(IsComClassRegisteredTest, AllThreeMustBeKnown) {
  MemoryClassesRoot root = SampleRegistry();
  EXPECT_TRUE(IsComClassRegistered(root, "", "", kSmtpClassDescription));
  EXPECT_TRUE(IsComClassRegistered(root, "{AAA}", "", ""));
  EXPECT_FALSE(IsComClassRegistered(root, "", "", "Gamma description"));  // no CLSID sub-key
  EXPECT_FALSE(IsComClassRegistered(root, "", "Delta", ""));              // no description
  // The program's registry is empty on this system unless one is set.
  const CoreState program;
  EXPECT_FALSE(IsComClassRegistered(*program.Classes, "", "", kSmtpClassDescription));
}

class RegisterOcxTest : public ZorvelTest {
 protected:
  void SetUp() override {
    ZorvelTest::SetUp();
    log_ = base_ / "register.log";
    ::setenv("ZORVEL_TEST_OCX_LOG", log_.c_str(), 1);
    ::unsetenv("ZORVEL_TEST_OCX_RESULT");
  }
  void TearDown() override {
    ::unsetenv("ZORVEL_TEST_OCX_LOG");
    ::unsetenv("ZORVEL_TEST_OCX_RESULT");
    ZorvelTest::TearDown();
  }
  static fs::path Control(const std::string& name) { return ProgramFolder() / (name + ".OCX"); }
  static bool StillLoaded(const fs::path& path) {
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle != nullptr) ::dlclose(handle);
    return handle != nullptr;
  }
  std::string ErrorOf(const std::string& fileName) const {
    try {
      RegisterOcxLibrary(core.Drives, fileName);
    } catch (const std::runtime_error& e) {
      return e.what();
    }
    return "no error";
  }
  fs::path log_;
};

TEST_F(RegisterOcxTest, ABareNameIsLoadedFromTheProgramsFolderAndRegistered) {
  RegisterOcxLibrary(core.Drives, "zorvel_test_registering");
  EXPECT_EQ(ReadBytes(log_), "DllRegisterServer\n");
  EXPECT_FALSE(StillLoaded(Control("zorvel_test_registering")));
}

TEST_F(RegisterOcxTest, AWindowsPathIsLoadedExactlyThroughTheDriveMap) {
  fs::create_directories(C("WINDOWS/System"));
  fs::copy_file(Control("zorvel_test_registering"), C("WINDOWS/System/SMTPCT.OCX"));
  RegisterOcxLibrary(core.Drives, kSmtpControlFile);
  EXPECT_EQ(ReadBytes(log_), "DllRegisterServer\n");
  EXPECT_FALSE(StillLoaded(C("WINDOWS/System/SMTPCT.OCX")));
}

TEST_F(RegisterOcxTest, ALibraryWithoutTheEntryIsRefusedAndUnloaded) {
  EXPECT_EQ(ErrorOf("zorvel_test_plain"), "Cannot find procedure DllRegister");
  EXPECT_FALSE(StillLoaded(Control("zorvel_test_plain")));
}

TEST_F(RegisterOcxTest, WhatCannotBeLoadedNamesThePathAndTheWindowsError) {
  EXPECT_EQ(ErrorOf("C:\\Brak\\x.ocx"),
            "Cannot initialize library C:\\Brak\\x.ocx. Internal Windows error nr126.");
  EXPECT_EQ(ErrorOf("Q:\\x.ocx"),
            "Cannot initialize library Q:\\x.ocx. Internal Windows error nr126.");
  EXPECT_EQ(ErrorOf("brak"), "Cannot initialize library " + Control("brak").string() +
                                 ". Internal Windows error nr126.");
  Touch(C("tekst.ocx"), "not a library");
  EXPECT_EQ(ErrorOf("C:\\tekst.ocx"),
            "Cannot initialize library C:\\tekst.ocx. Internal Windows error nr193.");
  EXPECT_FALSE(fs::exists(log_));
}

TEST_F(RegisterOcxTest, TheEntrysResultIsNotExamined) {
  ::setenv("ZORVEL_TEST_OCX_RESULT", "0x80004005", 1);
  EXPECT_NO_THROW(RegisterOcxLibrary(core.Drives, "zorvel_test_registering"));
  EXPECT_EQ(ReadBytes(log_), "DllRegisterServer\n");
  EXPECT_FALSE(StillLoaded(Control("zorvel_test_registering")));
  ::unsetenv("ZORVEL_TEST_OCX_RESULT");
}

TEST(ControlTexts, TheUnwiredHandlersTexts) {
  EXPECT_EQ(RegisteringSmtpText(), "Rejestruj\xEA NetManage SMPT");
}

}  // namespace
}  // namespace zorvel::test
