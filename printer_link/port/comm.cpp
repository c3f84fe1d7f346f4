#include "printer_link/port/comm.h"

#include <chrono>

#include "platform/sync/last_error.h"
#include "platform/sync/main_thread.h"
#include "platform/sync/priority.h"
#include "platform/win_errors.h"
#include "printer_link/port/link_error.h"

namespace kavoruw {

namespace {

int32_t LastError() { return static_cast<int32_t>(platform::GetLastError()); }

struct LineErrorText {
  uint32_t flag;
  const char* text;
};

// In the order they are recorded: the last one present stays in the record.
constexpr LineErrorText kLineErrorTexts[] = {
    {platform::kCeBreak, "Urządzenie wykryło stan BREAK (CE_BREAK)."},
    {platform::kCeFrame, "Urządzenie wykryło błąd ramki (CE_FRAME)."},
    {platform::kCeOverrun, "Zgubiono znaki (CE_OVERRUN)."},
    {platform::kCeRxOver, "Zapełniony bufor wejściowy (CE_RXOVER)."},
    {platform::kCeRxParity, "Urządzenie wykryło błąd parzystości (CE_RXPARITY)."},
    {platform::kCeTxFull, "Zapełniony bufor wyjściowy (CE_TXFULL)."},
};

}  // namespace

TPortLink::~TPortLink() {
  if (CommPort) CommPort->Close();
}

// --- Threads -------------------------------------------------------------------

void TThread::Start() {
  thread_ = std::thread([this] { Execute(); });
}

void TThread::Stop() {
  RequestStop();
  terminated_.store(true);
}

void TThread::WaitFor() {
  if (thread_.joinable()) thread_.join();
}

void TThread::Finish() {
  if (thread_.joinable()) {
    Stop();
    WaitFor();
  }
}

// --- Event watcher -----------------------------------------------------------

TZdarzeniaCommThread::TZdarzeniaCommThread(platform::SerialDevice* handle, CommEventSet events,
                                           std::shared_ptr<platform::Event> stopEvent)
    : TThread(std::move(stopEvent)), handle_(handle) {
  // Best effort: an ordinary user may not raise priorities, and the link
  // works without them.
  platform::RaiseProcessPriority();
  uint32_t mask = 0;
  for (size_t i = 0; i < kPortEventTable.size(); ++i) {
    if (events & (1u << i)) mask |= kPortEventTable[i];
  }
  handle_->SetEventMask(mask);
}

void TZdarzeniaCommThread::SetCallback(TComm* owner, Callback callback) {
  owner_ = owner;
  callback_ = callback;
}

void TZdarzeniaCommThread::Execute() {
  platform::SetCurrentThreadPriority(platform::ThreadPriority::Highest);
  while (!Terminated()) {
    uint32_t mask = 0;
    platform::EventWait r = handle_->WaitEvent(mask, *stopEvent_);
    if (r != platform::EventWait::Event) break;
    eventMask_ = mask;
    // The call runs on the program's main thread when it has an event loop;
    // a stop request ends the wait for it, so closing never deadlocks.
    platform::CallOnMainThread([this] { DoCommEvent(); }, *stopEvent_);
  }
  handle_->Purge(platform::kPurgeTxAbort | platform::kPurgeRxAbort | platform::kPurgeTxClear |
                 platform::kPurgeRxClear);
}

void TZdarzeniaCommThread::DoCommEvent() {
  if (owner_ && callback_) (owner_->*callback_)(this, eventMask_);
}

// --- One-byte worker ----------------------------------------------------------

TZapisOdczytThread::TZapisOdczytThread(TComm* owner) : TThread(nullptr), owner_(owner) {}

void TZapisOdczytThread::RequestStop() { owner_->HandOff().Stop(); }

void TZapisOdczytThread::Execute() {
  platform::SetCurrentThreadPriority(platform::ThreadPriority::TimeCritical);
  THandOff& handOff = owner_->HandOff();
  Transfer direction = Transfer::Write;
  uint8_t b = 0;
  while (!Terminated() && handOff.NextRequest(direction, b)) {
    uint32_t moved = 0;
    // The thread's own boundary: whatever a transfer throws ends that
    // transfer, never the program.
    try {
      moved = direction == Transfer::Write ? DoWrite(b) : DoRead(b);
    } catch (...) {
      moved = 0;
      owner_->Error().Record("Port nie jest otwarty, niemożliwa operacja.", -1);
    }
    handOff.Complete(moved, b);
  }
}

uint32_t TZapisOdczytThread::DoWrite(uint8_t b) { return owner_->WriteOneByte(&b); }

uint32_t TZapisOdczytThread::DoRead(uint8_t& b) { return owner_->ReadBytes(&b, 1); }

// --- The port object ----------------------------------------------------------

TComm::TComm(TPortLink& link)
    : error_(link.LinkError),
      settleMs_(link.ConnectSettleMs),
      waitHook_(link.Hooks.whileWaiting),
      handOff_(*error_, waitHook_) {}

void TComm::Record(std::string_view utf8Text) { error_->Record(utf8Text, LastError()); }

TComm::~TComm() { Close(); }

int32_t TComm::Open() {
  platform::SetLastError(0);
  // The name goes to the device layer as it is: no prefix, it finds the
  // device file itself.
  handle_ = platform::OpenSerialDevice(portName_);
  if (handle_) return 0;
  int32_t code = LastError();
  if (code == 0) code = static_cast<int32_t>(platform::kErrorGenFailure);
  switch (code) {
    case 2: error_->Record("System nie potrafi znależć danego urządzenia.", code); break;
    case 5: error_->Record("Zabroniony dostęp do urządzenia.", code); break;
    case 6: error_->Record("Niepoprawny uchwyt do urządzenia, proces przerwany.", code); break;
    default: error_->Record("Błędnie określone urządzenie.", code); break;
  }
  return code;
}

void TComm::CloseDeviceHandle() { handle_.reset(); }

int32_t TComm::Connect() {
  Close();
  error_->Set(std::string(), 0);
  int32_t result = Open();
  if (result != 0 || !IsOpen()) return result;

  // Every event is made before a thread starts: a connect that cannot make
  // them fails here instead of leaving a worker that never answers.
  auto abort = platform::Event::Create(false);
  auto watcherStop = platform::Event::Create(false);
  if (!abort || !watcherStop) {
    result = LastError();
    error_->Record("Błąd CreateEvent. ", result);
    CloseDeviceHandle();
    return result;
  }
  handOff_.Start(std::move(abort));

  eventThread_ = std::make_unique<TZdarzeniaCommThread>(handle_.get(), eventSet_, watcherStop);
  eventThread_->SetCallback(this, &TComm::OnCommEvent);
  eventThread_->Start();
  workerThread_ = std::make_unique<TZapisOdczytThread>(this);
  workerThread_->Start();

  result = ApplyState();
  if (result != 0) return result;

  platform::SetLastError(0);
  if (!handle_->SetupQueues(static_cast<uint32_t>(inputQueueSize_),
                            static_cast<uint32_t>(outputQueueSize_))) {
    Record("Błędna inicjalizacja buforów Zapisu/Odczytu.");
    return LastError();
  }
  result = SetTimeouts(writeTimeout_, readTimeout_);
  PauseCallingWaitHook(waitHook_, settleMs_.load());
  return result;
}

int32_t TComm::Close() {
  if (!IsOpen()) return 0;
  platform::SetLastError(0);
  if (!handle_->SetTimeouts(savedTimeouts_)) Record("Błąd podczas aktualizacji czasów.");
  // A transfer still waiting for the printer is cut short first, so that the
  // worker can be joined; bytes handed over from now on fail at once.
  handOff_.Abort();
  if (eventThread_) {
    eventThread_->Stop();
    eventThread_->WaitFor();
    eventThread_.reset();
  }
  if (workerThread_) {
    workerThread_->Stop();
    workerThread_->WaitFor();
    workerThread_.reset();
  }
  CloseDeviceHandle();
  platform::Event* abort = handOff_.AbortEvent();
  if (abort && !abort->Set()) {
    Record("Błąd podczas sygnalizacji zdarzenia.");
    return LastError();
  }
  return 0;
}

void TComm::SetFlowFlags(platform::LineState& dcb) {
  dcb.OutxCtsFlow = true;
  dcb.OutxDsrFlow = false;
  dcb.DtrControl = platform::kDtrControlDisable;
  dcb.RtsControl = platform::kRtsControlDisable;
  dcb.OutX = false;
  dcb.InX = false;
  dcb.AbortOnError = true;
}

int32_t TComm::ApplyState() {
  if (!IsOpen()) return 0;
  platform::SetLastError(0);
  if (!handle_->GetState(lineState_)) {
    Record("Błąd podczas aktualizacji bloku kontroli danych.");
    return LastError();
  }
  lineState_.BaudRate = static_cast<uint32_t>(baudRate_);
  lineState_.Parity = static_cast<uint8_t>(parity_);
  lineState_.StopBits = static_cast<uint8_t>(stopBits_);
  lineState_.ByteSize = static_cast<uint8_t>(dataBits_);
  SetFlowFlags(lineState_);
  if (!handle_->SetState(lineState_)) {
    Record("Błąd podczas aktualizacji bloku kontroli danych.");
    return LastError();
  }
  return 0;
}

int32_t TComm::SetTimeouts(uint16_t writeSec, uint16_t readSec) {
  platform::SetLastError(0);
  if (!handle_) {
    // There is no device whose time-outs could be read.
    platform::SetLastError(platform::kErrorInvalidHandle);
    Record(" Błąd odczytu aktualnych czasów.");
    return LastError();
  }
  if (!handle_->GetTimeouts(savedTimeouts_)) {
    Record(" Błąd odczytu aktualnych czasów.");
    return LastError();
  }
  timeoutsInUse_ = platform::CommTimeouts{};
  timeoutsInUse_.ReadIntervalTimeout = readSec == 0 ? platform::kMaxDword : readSec * 1000u;
  timeoutsInUse_.ReadTotalTimeoutMultiplier = 0;
  timeoutsInUse_.ReadTotalTimeoutConstant = readSec * 1000u;
  timeoutsInUse_.WriteTotalTimeoutMultiplier = 0;
  timeoutsInUse_.WriteTotalTimeoutConstant = writeSec * 1000u;
  if (!handle_->SetTimeouts(timeoutsInUse_)) {
    Record("Błąd podczas aktualizacji czasów.");
    return LastError();
  }
  return 0;
}

int32_t TComm::SetParams(uint8_t port, int32_t baud, uint16_t writeSec, uint16_t readSec) {
  baudRate_ = baud;
  portName_ = "Com" + std::to_string(port);
  portNumber_ = port;
  writeTimeout_ = writeSec;
  readTimeout_ = readSec;
  return 0;
}

int32_t TComm::PurgeOutput() {
  if (!IsOpen()) return 0;
  platform::SetLastError(0);
  return handle_->Purge(platform::kPurgeTxClear) ? 0 : LastError();
}

int32_t TComm::PurgeInput() {
  if (!IsOpen()) return 0;
  platform::SetLastError(0);
  return handle_->Purge(platform::kPurgeRxClear) ? 0 : LastError();
}

void TComm::OnCommEvent(TZdarzeniaCommThread* /*sender*/, uint32_t mask) {
  if (handle_) handle_->ClearError(errorFlags_, lineStatus_);
  // Entry 0 (break) is never passed on.
  for (size_t i = 1; i < kPortEventTable.size(); ++i) {
    if (mask & kPortEventTable[i]) HandleCommError(static_cast<int32_t>(kPortEventTable[i]));
  }
}

void TComm::HandleCommError(int32_t eventFlag) {
  if (eventFlag != static_cast<int32_t>(platform::kEvErr)) return;
  for (const LineErrorText& e : kLineErrorTexts) {
    if (errorFlags_ & e.flag) error_->Record(e.text, static_cast<int32_t>(e.flag));
  }
}

uint32_t TComm::WriteOneByte(const uint8_t* b) {
  uint8_t copy = *b;
  return Transfer(true, &copy, 1);
}

uint32_t TComm::ReadBytes(uint8_t* destination, uint32_t n) {
  return Transfer(false, destination, n);
}

uint32_t TComm::Transfer(bool write, uint8_t* data, uint32_t n) {
  platform::SetLastError(0);
  const platform::Event* abort = handOff_.AbortEvent();
  if (!handle_ || !abort) {
    error_->Record("Port nie jest otwarty, niemożliwa operacja.", -1);
    return 0;
  }
  platform::TransferResult r =
      write ? handle_->Write(data, n, *abort) : handle_->Read(data, n, *abort);
  using platform::TransferEnd;
  switch (r.end) {
    case TransferEnd::Completed:
      if (r.moved < n) {
        if (!r.pending) Record(write ? "Niepoprawny zapis." : "Niepoprawny odczyt.");
        else Record(write ? "Timeout zapisu." : "Timeout odczytu.");
      }
      break;
    case TransferEnd::Failed:
      Record(write ? "Niepoprawny zapis do portu." : "Niepoprawny odczyt.");
      break;
    case TransferEnd::WaitFailed:
      Record(write ? "Niepoprawny zapis." : "Niepoprawny odczyt.");
      break;
    case TransferEnd::QueryFailed:
      if (write) Record("Niepoprawny zapis.");
      else if (platform::GetLastError() == platform::kErrorOperationAborted)
        Record("Odczyt przerwany");
      else Record("Niepoprawny odczyt.");
      break;
    case TransferEnd::Aborted: Record(write ? "Zapis przerwany." : "Odczyt przerwany."); break;
  }
  return r.moved;
}

}  // namespace kavoruw
