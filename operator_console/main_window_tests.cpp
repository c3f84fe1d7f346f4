// The tests menu and the sample printouts.
#include <array>

#include "forms/message_box.h"
#include "forms/modal.h"
#include "operator_console/console.h"
#include "operator_console/console_session.h"
#include "operator_console/logic/status_view.h"
#include "operator_console/main_window.h"
#include "operator_console/service_steps.h"
#include "operator_console/tf_bajty_statusu.h"
#include "operator_console/tf_dane_uzytkownika.h"
#include "operator_console/tf_numer_unikatowy.h"
#include "operator_console/tf_test_wyswietlacza.h"

namespace {

// The refusal of the second-generation actions on an older printer.
void RefuseFirstGeneration() {
  ReportError(Cp("Podłączone urządzenie nie jest drukarką drugiej generacji."));
}

// The sample printouts share every step but the question and the call.
void SamplePrintout(ConsoleSession& session, const char* questionUtf8,
                    const std::function<int32_t()>& print) {
  uint8_t deviceType = 0;
  if (!session.StandardDeviceCheck(deviceType)) return;
  if (!SecondGenerationPrinter()) {
    RefuseFirstGeneration();
  } else if (CmosKept(CmosErasedGoToClock()) && Ask(Cp(questionUtf8))) {
    const int32_t code = session.Busy(print);
    if (code != 0) ReportDriverError(code);
  }
}

const std::string& Placeholder() {
  static const std::string text(20, '$');
  return text;
}

}  // namespace

void TGlowneOkno::Standrukarki1Click() {
  uint8_t deviceType = 0;
  bool errorShown = false;
  if (!session_->CheckConnectedDevice(deviceType, errorShown)) {
    if (!errorShown) ReportError(Cp("Podłączone urządzenie nie jest drukarką fiskalną."));
    return;
  }
  bool repeat = true;
  while (repeat) {
    repeat = false;
    const int32_t code = session_->Busy([] { return kavoruw::ReceiptConditions(); });
    const console::ConditionStep step = console::ReceiptConditionStep(code, ErrMessageText(code));
    AttentionBeep();
    const bool yes = forms::MessageBox(step.text, step.caption, step.flags) == forms::IDYES;
    switch (step.next) {
      case console::ConditionNext::Stop: break;
      case console::ConditionNext::RepeatOnYes: repeat = yes; break;
      case console::ConditionNext::UserDataOnYes:
        if (yes) {
          AttentionBeep();
          forms::ShowModal(*session_->fDaneUzytkownika);
          repeat = true;
        }
        break;
      case console::ConditionNext::DailyReportOnYes:
        if (yes) {
          Fiskalnydobowy1Click();
          repeat = true;
        }
        break;
      case console::ConditionNext::VatRatesOnYes:
        if (yes) {
          Zapis1Click();
          repeat = true;
        }
        break;
      case console::ConditionNext::ResumeOnYes:
        if (yes) {
          const int32_t resumed = session_->Busy([] { return kavoruw::PrintResume(); });
          if (resumed == 0) {
            repeat = true;
          } else {
            AttentionBeep();
            repeat = ErrorBox(console::ResumeFailedText(ErrMessageText(resumed)),
                              forms::MB_ICONEXCLAMATION | forms::MB_YESNO | forms::MB_TASKMODAL) ==
                     forms::IDYES;
          }
        }
        break;
      case console::ConditionNext::LeaveAtOnce: return;
    }
  }
}

void TGlowneOkno::Bajtystatusu1Click() {
  uint8_t deviceType = 0;
  if (!session_->StandardDeviceCheck(deviceType)) return;
  console::StatusBytes status;
  uint32_t count = 0;
  auto& s = status.bytes;
  const int32_t code = session_->Busy(
      [&] { return kavoruw::ReadStatusBytes(count, s[0], s[1], s[2], s[3], s[4], s[5]); });
  if (code != 0) {
    ReportDriverError(code);
  } else {
    status.count = static_cast<int32_t>(count);
    session_->fBajtyStatusu->SetLines(console::BuildStatusLines(status));
    AttentionBeep();
    forms::ShowModal(*session_->fBajtyStatusu);
  }
}

void TGlowneOkno::Wy1Click() {
  uint8_t deviceType = 0;
  if (!session_->StandardDeviceCheck(deviceType)) return;
  if (!SecondGenerationPrinter()) {
    RefuseFirstGeneration();
    return;
  }
  int32_t code = session_->Busy([] { return kavoruw::DisplayTest(0); });
  if (code != 0) {
    ReportDriverError(code);
    return;
  }
  // Each prompt is followed by the next step however the operator closed it.
  for (uint32_t step = 1; step <= 2; ++step) {
    session_->fTestWyswietlacza->SetText(console::DisplayTestLabel(static_cast<int>(step)));
    AttentionBeep();
    forms::ShowModal(*session_->fTestWyswietlacza);
    code = session_->Busy([step] { return kavoruw::DisplayTest(step); });
    if (code != 0) ReportDriverError(code);
  }
}

void TGlowneOkno::N41Click() {
  uint8_t deviceType = 0;
  if (!session_->StandardDeviceCheck(deviceType)) return;
  if (!SecondGenerationPrinter()) {
    RefuseFirstGeneration();
  } else {
    const int32_t code = session_->Busy([] { return kavoruw::OpenDrawer(1); });
    if (code != 0) {
      ReportDriverError(code);
    } else {
      ReportInfo(Cp("Rozkaz otwarcia szuflady został wysłany do drukarki fiskalnej"));
    }
  }
}

void TGlowneOkno::PamicEPROM1Click() {
  uint8_t deviceType = 0;
  if (!session_->StandardDeviceCheck(deviceType)) return;
  if (CmosKept(Cp("Skasowana pamięć CMOS.")) &&
      Ask(Cp("Test powoduje zapis do pamięci drukarki fiskalnej.\r"
             "Celem testu jest sprawdzenie poprawności działania\r"
             "pamięci drukarki fiskalnej.\r"
             "Ponieważ test wiąże się z zapisaniem informacji do pamięci\r"
             "drukarki fiskalnej, więc nie należy wykonywać go niepotrzebnie.\r"
             "Przewidziano możliwość wykonania tego testu 255 razy.\r"
             "Czy wykonać test?"),
          forms::MB_ICONSTOP | forms::MB_YESNO | forms::MB_TASKMODAL)) {
    const int32_t code = session_->Busy([] { return kavoruw::EpromTest(); });
    if (code != 0) ReportDriverError(code);
  }
}

void TGlowneOkno::Numerunikatowy1Click() {
  uint8_t deviceType = 0;
  if (!session_->StandardDeviceCheck(deviceType)) return;
  if (CmosKept(CmosErasedGoToClock())) {
    std::string number;
    const int32_t code = session_->Busy([&] { return kavoruw::ReadUniqueNumber(number); });
    if (code != 0) {
      ReportDriverError(code);
    } else {
      session_->fNumerUnikatowy->SetText(console::UniqueNumberLabel(number));
      AttentionBeep();
      forms::ShowModal(*session_->fNumerUnikatowy);
    }
  }
}

void TGlowneOkno::Prbnyparagpn1Click() {
  uint8_t deviceType = 0;
  if (!session_->StandardDeviceCheck(deviceType)) return;
  const int32_t conditions = session_->Busy([] { return kavoruw::ReceiptConditions(); });
  if (conditions != 0) {
    ErrorBox(ErrMessageText(conditions));
    return;
  }
  if (!Ask(Cp("Czy wykonać próbny paragon na kwotę 1 grosz w stawce zwolnionej?"),
           forms::MB_ICONSTOP | forms::MB_YESNO | forms::MB_TASKMODAL)) {
    return;
  }
  // Every failing step shows its text and ends the test.
  auto failed = [](int32_t code) {
    if (code == 0) return false;
    ReportDriverError(code);
    return true;
  };
  uint32_t version = 0;
  if (failed(session_->Busy([&] { return kavoruw::IdentifyDevice(version); }))) {
    return;
  }
  int32_t count = 0;
  std::array<int32_t, 7> r{};
  if (failed(session_->Busy(
          [&] { return kavoruw::ReadVAT(count, r[0], r[1], r[2], r[3], r[4], r[5], r[6]); }))) {
    return;
  }
  const int32_t exempt = console::ExemptRateIndex(count, r);
  if (exempt == 0) {
    ReportError(Cp(
        "W drukarce fiskalnej brak stawki ZWOLNIONEJ \rPróbny paragon nie zostanie wydrukowany"));
    return;
  }
  if (failed(session_->Busy([] { return kavoruw::ReceiptBegin(); }))) return;
  const uint8_t kind = kavoruw::LinkState().DeviceKind;
  const std::string name = Cp("Test z programu serwisowego");
  const std::string unit = Cp("szt.");
  int32_t value = 0;
  int32_t cancelled = 0;
  const int32_t code = session_->Busy([&] {
    int32_t result = !kavoruw::UsesExtendedItemRecord(kind)
                         ? kavoruw::ReceiptItem(1, name, exempt, 0, 1, 0, unit, 1, value)
                         : kavoruw::ReceiptItemExt(1, name, exempt, 0, 1, 0, unit, 1, value);
    if (result == 0) result = kavoruw::ReceiptEnd(0);
    // A receipt left open would make the driver refuse every later command.
    if (result != 0) cancelled = kavoruw::DropReceipt();
    return result;
  });
  if (code != 0) ReportDriverError(code);
  if (cancelled != 0) ReportDriverError(cancelled);
}

void TGlowneOkno::Stankasy1Click() {
  SamplePrintout(*session_, "Czy wydrukować STAN KASY?", [] {
    const std::string& t = Placeholder();
    return kavoruw::SamplePrintCashState(t, t, t, t, t, t);
  });
}

void TGlowneOkno::Pokwitowaniewpaty1Click() {
  SamplePrintout(*session_, "Czy wydrukować POKWITOWANIE WPŁATY?", [] {
    const std::string& t = Placeholder();
    return kavoruw::SamplePrintCashIn(t, t, t, t, t);
  });
}

void TGlowneOkno::Pokwitowaniewypaty1Click() {
  SamplePrintout(*session_, "Czy wydrukować POKWITOWANIE WYPŁATY?", [] {
    const std::string& t = Placeholder();
    return kavoruw::SamplePrintCashOut(t, t, t, t, t);
  });
}

void TGlowneOkno::Biecyraportkasowy1Click() {
  SamplePrintout(*session_, "Czy wydrukować BIEŻĄCY RAPROT KASOWY?",
                 [] { return kavoruw::SamplePrintCashReport(); });
}
