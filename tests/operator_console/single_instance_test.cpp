// The single-instance guard.
#include <QCoreApplication>
#include <QElapsedTimer>

#include "operator_console/ci_only_one.h"
#include "tests/forms/gui_fixture.h"

namespace {

class SingleInstance : public forms::testing::GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    TCiaOnlyOne::Scope() = "test-single-" + std::to_string(QCoreApplication::applicationPid());
  }
};

TEST_F(SingleInstance, ASecondCopyIsRefusedAndTheFirstIsAskedToShowItself) {
  TCiaOnlyOne first;
  first.Unique = "KavorUW123";
  int restored = 0;
  first.RestoreRequested = [&] { ++restored; };
  first.Loaded();
  EXPECT_FALSE(first.AlreadyRunning);

  TCiaOnlyOne second;
  second.Unique = "KavorUW123";
  second.Loaded();
  EXPECT_TRUE(second.AlreadyRunning);
  QElapsedTimer waited;
  waited.start();
  while (restored == 0 && waited.elapsed() < 3000) forms::testing::Flush();
  EXPECT_EQ(restored, 1);

  TCiaOnlyOne other;
  other.Unique = "KavorUW124";
  other.Loaded();
  EXPECT_FALSE(other.AlreadyRunning) << "another name is another program";
}

TEST_F(SingleInstance, OnceTheFirstCopyEndsTheNextStartsAsTheFirst) {
  {
    TCiaOnlyOne first;
    first.Unique = "KavorUW123";
    first.Loaded();
    EXPECT_FALSE(first.AlreadyRunning);
  }
  TCiaOnlyOne next;
  next.Unique = "KavorUW123";
  next.Loaded();
  EXPECT_FALSE(next.AlreadyRunning);
}

TEST_F(SingleInstance, BlanksAndBackslashesBecomeUnderscoresAndAnEmptyNameIsTheProgramPath) {
  TCiaOnlyOne named;
  named.Unique = "C:\\Program Files\\KavorU";
  named.Loaded();
  EXPECT_EQ(named.Unique, "C:_Program_Files_KavorU");

  TCiaOnlyOne unnamed;
  unnamed.Loaded();
  std::string expected = QCoreApplication::applicationFilePath().toStdString();
  for (char& c : expected) {
    if (c == ' ' || c == '\\') c = '_';
  }
  EXPECT_EQ(unnamed.Unique, expected);
}

}  // namespace
