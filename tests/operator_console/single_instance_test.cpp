// The single-instance guard.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <memory>

#include "operator_console/ci_only_one.h"
#include "tests/forms/gui_fixture.h"

namespace {

class SingleInstance : public forms::testing::GuiTest {
 protected:
  // The copies of this test program, apart from any other run.
  const std::string testScope =
      "test-single-" + std::to_string(QCoreApplication::applicationPid());
};

TEST_F(SingleInstance, ASecondCopyIsRefusedAndTheFirstIsAskedToShowItself) {
  TCiaOnlyOne first;
  first.Unique = "KavorUW123";
  first.Scope = testScope;
  int restored = 0;
  first.RestoreRequested = [&] { ++restored; };
  first.Loaded();
  EXPECT_FALSE(first.AlreadyRunning);

  TCiaOnlyOne second;
  second.Unique = "KavorUW123";
  second.Scope = testScope;
  second.Loaded();
  EXPECT_TRUE(second.AlreadyRunning);
  QElapsedTimer waited;
  waited.start();
  while (restored == 0 && waited.elapsed() < 3000) forms::testing::Flush();
  EXPECT_EQ(restored, 1);

  TCiaOnlyOne other;
  other.Unique = "KavorUW124";
  other.Scope = testScope;
  other.Loaded();
  EXPECT_FALSE(other.AlreadyRunning) << "another name is another program";
}

TEST_F(SingleInstance, OneCopyForAUserOnEachDisplay) {
  const auto scope = [](const char* platform, const char* name, const char* value,
                        unsigned user = 1000) {
    QProcessEnvironment environment;
    environment.insert(name, value);
    return TCiaOnlyOne::SessionScope(platform, environment, user);
  };
  const std::string unique = "KavorUW123-" + testScope;
  const auto start = [&unique](const std::string& userScope) {
    auto copy = std::make_unique<TCiaOnlyOne>();
    copy->Unique = unique;
    copy->Scope = userScope;
    copy->Loaded();
    return copy;
  };
  auto first = start(scope("xcb", "DISPLAY", ":5"));
  EXPECT_FALSE(first->AlreadyRunning);
  EXPECT_TRUE(start(scope("xcb", "DISPLAY", ":5.1"))->AlreadyRunning)
      << "another screen of the display";
  auto second = start(scope("xcb", "DISPLAY", ":6"));
  EXPECT_FALSE(second->AlreadyRunning) << "another display";
  EXPECT_FALSE(start(scope("xcb", "DISPLAY", ":5", 1001))->AlreadyRunning) << "another user";

  auto wayland = start(scope("wayland", "WAYLAND_DISPLAY", "wayland-1"));
  EXPECT_FALSE(wayland->AlreadyRunning);
  EXPECT_TRUE(start(scope("wayland-egl", "WAYLAND_DISPLAY", "wayland-1"))->AlreadyRunning);
  // Without a display the login session counts.
  auto session = start(scope("offscreen", "XDG_SESSION_ID", "7"));
  EXPECT_FALSE(session->AlreadyRunning);
  EXPECT_TRUE(start(scope("offscreen", "XDG_SESSION_ID", "7"))->AlreadyRunning);
  EXPECT_FALSE(start(scope("offscreen", "XDG_SESSION_ID", "8"))->AlreadyRunning);
}

TEST_F(SingleInstance, OnceTheFirstCopyEndsTheNextStartsAsTheFirst) {
  {
    TCiaOnlyOne first;
    first.Unique = "KavorUW123";
    first.Scope = testScope;
    first.Loaded();
    EXPECT_FALSE(first.AlreadyRunning);
  }
  TCiaOnlyOne next;
  next.Unique = "KavorUW123";
  next.Scope = testScope;
  next.Loaded();
  EXPECT_FALSE(next.AlreadyRunning);
}

TEST_F(SingleInstance, BlanksAndBackslashesBecomeUnderscoresAndAnEmptyNameIsTheProgramPath) {
  TCiaOnlyOne named;
  named.Unique = "C:\\Program Files\\KavorU";
  named.Scope = testScope;
  named.Loaded();
  EXPECT_EQ(named.Unique, "C:_Program_Files_KavorU");

  TCiaOnlyOne unnamed;
  unnamed.Scope = testScope;
  unnamed.Loaded();
  std::string expected = QCoreApplication::applicationFilePath().toStdString();
  for (char& c : expected) {
    if (c == ' ' || c == '\\') c = '_';
  }
  EXPECT_EQ(unnamed.Unique, expected);
}

}  // namespace
