#pragma once
// The serial port object of the printer link and its two threads: the event
// watcher, which acknowledges line errors, and the one-byte worker, which
// performs every write and read. The command engine hands bytes to the worker
// through the port object's hand-off.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "driver_types.h"
#include "platform/serial/serial_device.h"
#include "platform/sync/event.h"
#include "printer_link/port/hand_off.h"
#include "printer_link/port/link_error.h"

namespace kavoruw {

// Events a port reports; bit i of a CommEventSet stands for entry i.
using CommEventSet = uint16_t;
inline constexpr std::array<uint32_t, 9> kPortEventTable = {
    platform::kEvBreak,  platform::kEvCts,    platform::kEvDsr,
    platform::kEvErr,    platform::kEvRing,   platform::kEvRlsd,
    platform::kEvRxChar, platform::kEvRxFlag, platform::kEvTxEmpty};
inline constexpr CommEventSet kAllCommEvents = 0x01FF;

class TComm;
struct TPortLink;

// A thread that runs Execute until it is stopped: Stop signals its stop event
// and marks it terminated, WaitFor joins it.
class TThread {
 public:
  explicit TThread(std::shared_ptr<platform::Event> stopEvent) : stopEvent_(std::move(stopEvent)) {}
  virtual ~TThread() = default;
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;
  void Start();
  void Stop();
  void WaitFor();

 protected:
  virtual void Execute() = 0;
  // Tells the running Execute to end; by default through the stop event.
  virtual void RequestStop() { stopEvent_->Set(); }
  bool Terminated() const { return terminated_.load(); }
  // Stops and joins the thread; every derived destructor calls it first, so
  // that the thread never runs on a half-destroyed object.
  void Finish();

  std::shared_ptr<platform::Event> stopEvent_;

 private:
  std::atomic<bool> terminated_{false};
  std::thread thread_;
};

class TZdarzeniaCommThread : public TThread {
 public:
  using Callback = void (TComm::*)(TZdarzeniaCommThread* sender, uint32_t mask);

  TZdarzeniaCommThread(platform::SerialDevice* handle, CommEventSet events,
                       std::shared_ptr<platform::Event> stopEvent);
  ~TZdarzeniaCommThread() override { Finish(); }
  void SetCallback(TComm* owner, Callback callback);

 protected:
  void Execute() override;

 private:
  void DoCommEvent();

  platform::SerialDevice* handle_;
  uint32_t eventMask_ = 0;
  TComm* owner_ = nullptr;
  Callback callback_ = nullptr;
};

// Takes each byte from the owner's hand-off, moves it and reports it done;
// it stops through the hand-off, between transfers.
class TZapisOdczytThread : public TThread {
 public:
  explicit TZapisOdczytThread(TComm* owner);
  ~TZapisOdczytThread() override { Finish(); }

 protected:
  void Execute() override;
  void RequestStop() override;

 private:
  uint32_t DoWrite(uint8_t b);
  uint32_t DoRead(uint8_t& b);

  TComm* owner_;
};

class TComm {
 public:
  // A port of the link: it records its faults in the link's error record
  // (which it keeps alive as long as its threads may write it) and pauses
  // with the link's settle time and wait hook.
  explicit TComm(TPortLink& link);
  virtual ~TComm();
  TComm(const TComm&) = delete;
  TComm& operator=(const TComm&) = delete;

  bool IsOpen() const { return handle_ != nullptr; }
  virtual int32_t Open();
  void CloseDeviceHandle();
  int32_t Connect();
  int32_t Close();
  int32_t ApplyState();
  void SetFlowFlags(platform::LineState& dcb);
  int32_t SetTimeouts(uint16_t writeSec, uint16_t readSec);
  int32_t SetParams(uint8_t port, int32_t baud, uint16_t writeSec, uint16_t readSec);
  int32_t PurgeOutput();
  int32_t PurgeInput();
  void OnCommEvent(TZdarzeniaCommThread* sender, uint32_t mask);
  virtual void HandleCommError(int32_t eventFlag);
  // Worker thread only.
  uint32_t WriteOneByte(const uint8_t* b);
  uint32_t ReadBytes(uint8_t* destination, uint32_t n);
  // The byte hand-off to this port's worker.
  THandOff& HandOff() { return handOff_; }
  TLinkErrorRecord& Error() { return *error_; }

  const std::string& PortName() const { return portName_; }
  uint8_t PortNumber() const { return portNumber_; }
  int32_t BaudRate() const { return baudRate_; }
  uint16_t WriteTimeout() const { return writeTimeout_; }
  uint16_t ReadTimeout() const { return readTimeout_; }
  const platform::CommTimeouts& TimeoutsInUse() const { return timeoutsInUse_; }

 private:
  uint32_t Transfer(bool write, uint8_t* data, uint32_t n);
  void Record(std::string_view utf8Text);

  const std::shared_ptr<TLinkErrorRecord> error_;
  const std::atomic<int>& settleMs_;
  const std::function<void()>& waitHook_;

  std::unique_ptr<platform::SerialDevice> handle_;
  platform::LineState lineState_;
  platform::ComStat lineStatus_;
  std::string portName_ = "Comm2";
  uint8_t portNumber_ = 0;
  platform::CommTimeouts savedTimeouts_;
  platform::CommTimeouts timeoutsInUse_;
  std::unique_ptr<TZdarzeniaCommThread> eventThread_;
  std::unique_ptr<TZapisOdczytThread> workerThread_;
  CommEventSet eventSet_ = kAllCommEvents;
  uint32_t errorFlags_ = 0;
  int32_t baudRate_ = 0;
  int32_t parity_ = platform::kEvenParity;
  int32_t stopBits_ = platform::kOneStopBit;
  int32_t dataBits_ = 8;
  int32_t inputQueueSize_ = 4096;
  int32_t outputQueueSize_ = 2048;
  uint16_t writeTimeout_ = 0;
  uint16_t readTimeout_ = 0;
  THandOff handOff_;
};

// --- The port layer's part of the link object ------------------------------

struct TPortLink {
  TPortLink() = default;
  // Closes a port left open, so that no thread of the link outlives it.
  ~TPortLink();
  TPortLink(const TPortLink&) = delete;
  TPortLink& operator=(const TPortLink&) = delete;

  // True while the port object exists and is open.
  bool PortIsOpen() const { return CommPort && CommPort->IsOpen(); }

  // The host's hooks (the port calls whileWaiting, the device layer the
  // others). Installed through the facade; under any other caller empty.
  ConsoleHooks Hooks;
  // Pause at the end of each connect, in milliseconds (200; tests shorten it).
  std::atomic<int> ConnectSettleMs{200};
  // Written by the port's threads too: each port object holds a share of it,
  // so it lasts as long as any thread that may write it.
  const std::shared_ptr<TLinkErrorRecord> LinkError = std::make_shared<TLinkErrorRecord>();
  // The link's one port object; nullptr until the first open. Declared last,
  // so that it goes first, before what it reads.
  std::unique_ptr<TComm> CommPort;
};

}  // namespace kavoruw
