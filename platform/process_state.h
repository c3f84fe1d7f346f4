#pragma once
// What the platform layer keeps for the whole program, in one place: the
// serial-device opener tests put in place of the real ports, the number of
// event creations made to fail, and the main-thread dispatcher. Each part is
// read and set through its own module's functions. Never destroyed: a
// port's event thread may still use it while the program ends.
#include <atomic>
#include <mutex>

#include "platform/serial/serial_device.h"
#include "platform/sync/main_thread.h"

namespace platform {

struct ProcessState {
  std::atomic<SerialDeviceOpener> serialDeviceOpener{nullptr};
  std::atomic<int> failEventCreations{0};
  std::mutex dispatcherMutex;
  MainThreadDispatcher dispatcher;  // under dispatcherMutex
};

// The one instance, made on first use.
ProcessState& Process();

}  // namespace platform
