#include "platform/sync/main_thread.h"

#include <memory>
#include <mutex>

#include "platform/process_state.h"
#include "platform/sync/event.h"

namespace platform {

namespace {

struct PendingCall {
  std::mutex mutex;
  bool cancelled = false;
  bool ran = false;
  std::function<void()> call;
  std::shared_ptr<Event> done;
};

}  // namespace

void SetMainThreadDispatcher(MainThreadDispatcher dispatch) {
  ProcessState& state = Process();
  std::lock_guard lock(state.dispatcherMutex);
  state.dispatcher = std::move(dispatch);
}

bool CallOnMainThread(const std::function<void()>& call, const Event& stop) {
  MainThreadDispatcher d;
  {
    ProcessState& state = Process();
    std::lock_guard lock(state.dispatcherMutex);
    d = state.dispatcher;
  }
  if (!d) {
    call();
    return true;
  }
  auto pending = std::make_shared<PendingCall>();
  pending->call = call;
  pending->done = Event::Create(false);
  if (!pending->done) return false;
  d([pending] {
    std::lock_guard lock(pending->mutex);
    if (pending->cancelled) return;
    pending->call();
    pending->ran = true;
    pending->done->Set();
  });
  uint32_t w = WaitForAny({&stop, pending->done.get()});
  std::lock_guard lock(pending->mutex);
  if (w != 1) pending->cancelled = true;
  return pending->ran;
}

}  // namespace platform
