#include <gtest/gtest.h>

#include <thread>

#include "platform/sync/event.h"
#include "platform/sync/last_error.h"
#include "platform/win_errors.h"

namespace platform {
namespace {

TEST(EventTest, LowestSignalledIndexWinsAndResetTakesItOut) {
  auto a = Event::Create(false), b = Event::Create(false), c = Event::Create(true);
  ASSERT_TRUE(a && b && c);
  ASSERT_TRUE(b->Set());
  EXPECT_EQ(WaitForAny({a.get(), b.get(), c.get()}, 0), 1u);
  ASSERT_TRUE(b->Reset());
  EXPECT_FALSE(b->IsSet());
  EXPECT_EQ(WaitForAny({a.get(), b.get(), c.get()}, 0), 2u);
  ASSERT_TRUE(c->Reset());
  EXPECT_EQ(WaitForAny({a.get(), b.get(), c.get()}, 10), kWaitTimeout);
  // Manual reset: a wait does not consume the signal.
  ASSERT_TRUE(a->Set());
  ASSERT_TRUE(a->Set());
  EXPECT_EQ(WaitForAny({a.get()}, 0), 0u);
  EXPECT_TRUE(a->IsSet());
}

TEST(EventTest, MissingEventFailsTheWait) {
  auto a = Event::Create(true);
  EXPECT_EQ(WaitForAny({a.get(), nullptr}, 0), kWaitFailed);
  EXPECT_EQ(GetLastError(), kErrorInvalidHandle);
}

TEST(EventTest, ASetFromAnotherThreadEndsAnEndlessWait) {
  auto stop = Event::Create(false), other = Event::Create(false);
  std::thread setter([&] { stop->Set(); });
  EXPECT_EQ(WaitForAny({other.get(), stop.get()}), 1u);
  setter.join();
}

TEST(EventTest, CreationFailuresCanBeForced) {
  FailNextEventCreations(1);
  EXPECT_EQ(Event::Create(false), nullptr);
  EXPECT_EQ(GetLastError(), kErrorTooManyOpenFiles);
  EXPECT_NE(Event::Create(false), nullptr);
}

}  // namespace
}  // namespace platform
