#pragma once
// Carrying a call from a worker thread to the program's main thread.
//
// A program with an event loop installs a dispatcher that queues a call for
// its loop. Without one (a library inside a point-of-sale program) the call
// runs on the calling thread at once, so it can never wait for a loop that
// does not exist.
#include <functional>

namespace platform {

class Event;

using MainThreadDispatcher = std::function<void(std::function<void()>)>;

void SetMainThreadDispatcher(MainThreadDispatcher dispatcher);

// Runs call on the main thread and waits until it has run, or until stop is
// signalled; in the latter case the call is dropped if it has not started.
// Returns whether the call ran.
bool CallOnMainThread(const std::function<void()>& call, const Event& stop);

}  // namespace platform
