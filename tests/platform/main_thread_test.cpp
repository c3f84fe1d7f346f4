#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/sync/event.h"
#include "platform/sync/main_thread.h"

namespace platform {
namespace {

class MainThreadTest : public ::testing::Test {
 protected:
  void TearDown() override { SetMainThreadDispatcher(nullptr); }
};

TEST_F(MainThreadTest, WithoutADispatcherTheCallRunsInline) {
  auto stop = Event::Create(true);  // even a signalled stop does not drop it
  std::thread::id ranOn;
  EXPECT_TRUE(CallOnMainThread([&] { ranOn = std::this_thread::get_id(); }, *stop));
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(MainThreadTest, WithALoopTheCallRunsThereAndIsWaitedFor) {
  std::mutex m;
  std::condition_variable cv;
  std::deque<std::function<void()>> queue;
  bool quit = false;
  std::thread loop([&] {
    std::unique_lock lock(m);
    for (;;) {
      cv.wait(lock, [&] { return quit || !queue.empty(); });
      if (queue.empty()) return;
      auto call = std::move(queue.front());
      queue.pop_front();
      lock.unlock();
      call();
      lock.lock();
    }
  });
  SetMainThreadDispatcher([&](std::function<void()> call) {
    std::lock_guard lock(m);
    queue.push_back(std::move(call));
    cv.notify_one();
  });
  auto stop = Event::Create(false);
  std::thread::id ranOn;
  EXPECT_TRUE(CallOnMainThread([&] { ranOn = std::this_thread::get_id(); }, *stop));
  EXPECT_EQ(ranOn, loop.get_id());
  {
    std::lock_guard lock(m);
    quit = true;
    cv.notify_one();
  }
  loop.join();
}

TEST_F(MainThreadTest, StopEndsTheWaitAndDropsACallThatNeverRan) {
  std::mutex m;
  std::vector<std::function<void()>> queued;
  SetMainThreadDispatcher([&](std::function<void()> call) {
    std::lock_guard lock(m);
    queued.push_back(std::move(call));
  });
  auto stop = Event::Create(false);
  std::thread stopper([&] { stop->Set(); });
  bool ran = false;
  EXPECT_FALSE(CallOnMainThread([&] { ran = true; }, *stop));
  stopper.join();
  // The loop gets round to it later: the call must not run any more.
  std::lock_guard lock(m);
  ASSERT_EQ(queued.size(), 1u);
  queued[0]();
  EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace platform
