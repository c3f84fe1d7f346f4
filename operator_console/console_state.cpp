#include "operator_console/console_state.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

#include "operator_console/console.h"

namespace {

std::string AsciiUpper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace

void ConsoleState::ShowProgressText(const std::string& cp1250Text) {
  if (window_) window_->ShowProgressText(cp1250Text);
}

void ConsoleState::ClearProgressText() { ShowProgressText(""); }

void ConsoleState::SetBusyCursor() {
  if (window_) window_->ShowBusyCursor();
}

void ConsoleState::SetArrowCursor() {
  if (window_) window_->ShowArrowCursor();
}

void ConsoleState::ClearForBox() {
  if (window_ == nullptr) return;
  if (window_->BusyCursorShown()) SetArrowCursor();
  ShowProgressText("");
}

int32_t ConsoleState::Busy(const std::function<int32_t()>& call) {
  SetBusyCursor();
  const int32_t code = call();
  SetArrowCursor();
  return code;
}

PortSettings ConsoleState::ShownPortSettings() const {
  return {ClampPortNumber(ComPortNumber),
          static_cast<uint16_t>(ComBaudRate == 19200 ? 19200 : 9600)};
}

int32_t ConsoleState::ReopenPort() {
  kavoruw::ClosePortObject();
  return kavoruw::DoOpenPort(ComPortNumber, ComBaudRate,
                             static_cast<uint16_t>(kavoruw::LinkState().PortWriteTimeout),
                             static_cast<uint16_t>(kavoruw::LinkState().PortReadTimeout));
}

int32_t ConsoleState::ReopenPortForLongReport() {
  kavoruw::ClosePortObject();
  return kavoruw::DoOpenLongReportPort(
      ComPortNumber, ComBaudRate, static_cast<uint16_t>(kavoruw::LinkState().PortWriteTimeout));
}

int32_t ConsoleState::ReopenPort(const PortSettings& settings) {
  kavoruw::ClosePortObject();
  return kavoruw::DoOpenPort(settings.ComPortNumber, settings.ComBaudRate,
                             static_cast<uint16_t>(kavoruw::LinkState().PortWriteTimeout),
                             static_cast<uint16_t>(kavoruw::LinkState().PortReadTimeout));
}

bool ConsoleState::CheckConnectedDevice(uint8_t& deviceType, bool& errorShown) {
  // The settings as the dialog shows them are the ones used from here on.
  const PortSettings shown = ShownPortSettings();
  ComPortNumber = shown.ComPortNumber;
  ComBaudRate = shown.ComBaudRate;
  return CheckConnectedDevice(shown, deviceType, errorShown);
}

bool ConsoleState::CheckConnectedDevice(const PortSettings& settings, uint8_t& deviceType,
                                        bool& errorShown) {
  SetArrowCursor();
  ShowProgressText(Cp("Sprawdzanie typu podłączonego urządzenia..."));
  const int32_t opened = ReopenPort(settings);
  if (opened != 0) {
    ReportError(OpenPortErrorText(opened, settings.ComPortNumber));
    errorShown = true;
    return false;
  }
  uint32_t version = 0;
  const int32_t identified = kavoruw::IdentifyDevice(version);
  if (identified != 0) {
    ReportDriverError(identified);
    errorShown = true;
    return false;
  }
  if (window_) window_->ShowDeviceName(settings);
  deviceType = kavoruw::LinkState().DeviceKind;
  errorShown = false;
  return kavoruw::IsFiscalPrinter(kavoruw::LinkState().DeviceKind);
}

bool ConsoleState::StandardDeviceCheck(uint8_t& deviceType) {
  bool errorShown = false;
  if (CheckConnectedDevice(deviceType, errorShown)) return true;
  if (!errorShown) {
    ReportError(Cp("Podłączone urządzenie nie jest drukarką fiskalną"));
  }
  return false;
}

ActionScope::ActionScope(ConsoleState& console) : console_(console), outermost_(!forms::Busy()) {}

ActionScope::~ActionScope() {
  console_.ClearForBox();
  if (!outermost_) return;
  // The window system's input that came while the action ran was held back,
  // the window manager's close request among it. The event loop looks at it
  // again now, not when the next event (a mouse movement) happens to arrive.
  if (QAbstractEventDispatcher* dispatcher = QCoreApplication::eventDispatcher())
    dispatcher->wakeUp();
  ConsoleWindow* window = console_.Window();
  if (window && window->CloseWaiting()) window->CloseAfterAction();
}

uint8_t ParsePortArgument(const Arguments& arguments) {
  for (const std::string& argument : arguments) {
    const std::string upper = AsciiUpper(argument);
    if (upper.size() == 4 && upper.compare(0, 3, "COM") == 0 && upper[3] >= '1' &&
        upper[3] <= '9') {
      return static_cast<uint8_t>(upper[3] - '0');
    }
  }
  return 0;
}

uint16_t ParseBaudArgument(const Arguments& arguments) {
  for (const std::string& argument : arguments) {
    if (argument == "9600" || argument == "19200")
      return static_cast<uint16_t>(std::stoi(argument));
  }
  return 0;
}

void InitializeConsoleUnit(ConsoleState& console, const Arguments& arguments) {
  console.SettlementRangeMode = false;
  console.FiscalizationInProgress = false;
  console.BusyCursor = ReadAnimatedCursor("hourglas.ani");
  console.FirstActivation = true;
  console.ComPortNumber = ParsePortArgument(arguments);
  console.ComBaudRate = ParseBaudArgument(arguments);
}
