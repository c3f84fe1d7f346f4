// The settlement report with its unique-number confirmation, and the
// clearing of the article-name base.
#include <optional>

#include "forms/message_box.h"
#include "forms/modal.h"
#include "forms/now.h"
#include "operator_console/console.h"
#include "operator_console/console_dialog.h"
#include "operator_console/console_session.h"
#include "operator_console/logic/reports.h"
#include "operator_console/logic/service_records.h"
#include "operator_console/logic/texts.h"
#include "operator_console/main_window.h"
#include "operator_console/service_steps.h"
#include "operator_console/tf_data_i_numer.h"
#include "operator_console/tf_okresowe_wg_numerow.h"
#include "operator_console/tf_raporty_okresowe_wg_dat.h"

namespace {

constexpr uint8_t kAck = 0x06;
constexpr uint16_t kSettlementPrintTimeout = 20;

// The settlement report's range from a range dialog that hands it back
// instead of printing; nothing when the operator left the dialog.
std::optional<console::ReportParams> AskSettlementRange(ConsoleSession& session,
                                                        TConsoleDialog& dialog) {
  session.SettlementRangeMode = true;
  AttentionBeep();
  const std::optional<console::ReportParams> range =
      dialog.RunReport({session.PeriodReportKind, true});
  session.SettlementRangeMode = false;
  if (range) session.SettlementRange = *range;
  return range;
}

// The dates dialog, both dates today.
bool AskSettlementDates(ConsoleSession& session) {
  const QDate today = forms::Now().date();
  session.fRaportyOkresoweWgDat->Preset(today, today);
  return AskSettlementRange(session, *session.fRaportyOkresoweWgDat).has_value();
}

// The numbers dialog, from 1 to 1.
bool AskSettlementNumbers(ConsoleSession& session) {
  session.fOkresoweWgNumerow->Preset(1, 1);
  return AskSettlementRange(session, *session.fOkresoweWgNumerow).has_value();
}

// The second warning, by kind of report.
const std::string& SecondWarning(uint8_t kind) {
  static const std::string whole =
      Cp("Posłanie sekwencji wykonania raportu\rrozliczeniowego z prawidłową bieżącą datą\r"
         "i numerem unikatowym powoduje\rprzejście w tryb \"TYLKO ODCZYT\"\r\r"
         "   Czy przejść w tryb TYLKO ODCZYT? ");
  static const std::string byDates =
      Cp("Posłanie sekwencji wykonania raportu\rrozliczeniowego z prawidłową bieżącą datą\r"
         "i numerem unikatowym powoduje\rprzejście w tryb \"TYLKO ODCZYT\"\r\r"
         "Podanie prawidłowych dat: początkowej\ri końcowej raportów dobowych jest konieczne\r"
         "jedynie do wydrukowania raportu rozliczeniowego\r\r   Czy przejść w tryb TYLKO ODCZYT? ");
  static const std::string byNumbers =
      Cp("Posłanie sekwencji wykonania raportu\rrozliczeniowego z prawidłową bieżącą datą\r"
         "i numerem unikatowym powoduje\rprzejście w tryb \"TYLKO ODCZYT\"\r\r"
         "Podanie prawidłowych numerów: początkowej\ri końcowej raportów dobowych jest konieczne\r"
         "jedynie do wydrukowania raportu rozliczeniowego\r\r   Czy przejść w tryb TYLKO ODCZYT? ");
  if (kind == console::kSettlementByDates) return byDates;
  if (kind == console::kSettlementByNumbers) return byNumbers;
  return whole;
}

// The warnings of the settlement report come without the tone.
bool Warn(const std::string& text) {
  return QuestionBox(text, forms::MB_ICONEXCLAMATION | forms::MB_YESNO | forms::MB_DEFBUTTON2 |
                               forms::MB_TASKMODAL) == forms::IDYES;
}

}  // namespace

// --- Settlement report ---------------------------------------------------------------

void TGlowneOkno::Cao1Click() { RunSettlementReport(console::kSettlementWhole); }

void TGlowneOkno::Wedugdat3Click() { RunSettlementReport(console::kSettlementByDates); }

void TGlowneOkno::Wedugnumerw3Click() { RunSettlementReport(console::kSettlementByNumbers); }

int TGlowneOkno::AskDateAndNumber(std::string& date, std::string& number) {
  session_->fDataINumer->SetDate(forms::Now().addDays(-1).date());
  session_->fDataINumer->SetNumber(QString());
  if (forms::ShowModal(*session_->fDataINumer) != forms::mrYes) return forms::mrNo;
  const QDate day = session_->fDataINumer->Date();
  date = console::SettlementDateText({day.year(), day.month(), day.day()});
  number = forms::FromQ(session_->fDataINumer->Number());
  return forms::mrYes;
}

bool TGlowneOkno::ConfirmUniqueNumber(std::string& date, std::string& number) {
  for (;;) {
    if (AskDateAndNumber(date, number) != forms::mrYes) return false;
    std::string unique;
    const int32_t code = session_->Busy([&] { return kavoruw::ReadUniqueNumber(unique); });
    if (code != 0) {
      ReportDriverError(code);
      return false;
    }
    if (console::UniqueNumberMatches(unique, number)) return true;
    if (ErrorBox(Cp("Niewłaściwy numer unikatowy\r\r   Czy spróbować ponownie? "),
                 forms::MB_ICONSTOP | forms::MB_YESNO | forms::MB_TASKMODAL) != forms::IDYES) {
      return false;
    }
  }
}

void TGlowneOkno::RunSettlementReport(uint8_t kind) {
  namespace st = kavoruw::status;
  uint8_t deviceType = 0;
  if (!session_->StandardDeviceCheck(deviceType)) return;
  if (!SecondGenerationPrinter()) {
    EndWithInfo(Cp("Podłączone urządzenie nie jest drukarką drugiej generacji"));
    return;
  }
  StatusRead status;
  if (const int32_t code = ReadStatus(*session_, status)) return EndWithDriverError(code);
  const uint8_t* s = status.s;
  const struct {
    bool refused;
    const char* text;
  } refusals[] = {
      {(s[0] & st::kMakerData) == 0,
       "Brak danych producenta w drukarce.\r     Wykonanie raportu rozliczeniowego jest niemożliwe.     "},
      {(s[1] & st::kNoControllerLink) != 0,
       "     Brak komunikacji z kontrolerem drukarki.\rWykonanie raportu rozliczeniowego jest niemożliwe."},
      {(s[2] & st::kPrinterFailure) != 0,
       "                 Awaria drukarki.\rWykonanie raportu rozliczeniowego jest niemożliwe."},
      {(s[1] & st::kCmosErased) != 0,
       "              Skasowana pamięć CMOS.\rWykonanie raportu rozliczeniowego jest niemożliwe."},
      {(s[0] & st::kUserData) == 0,
       "             Brak danych użytkownika.\rWykonanie raportu rozliczeniowego jest niemożliwe."},
      {(s[0] & st::kFiscalMode) == 0,
       "      Drukarka pracuje w trybie szkoleniowym.\rWykonanie raportu rozliczeniowego jest niemożliwe."},
  };
  for (const auto& refusal : refusals) {
    if (refusal.refused) return EndWithError(Cp(refusal.text));
  }

  if ((s[0] & st::kReadOnly) == 0) {
    int32_t receipts = 0;
    if (const int32_t code = session_->Busy([&] { return kavoruw::ReceiptNumber(receipts); })) {
      return EndWithDriverError(code);
    }
    if (receipts != 0) {
      if (!Ask(Cp("Niezerowy licznik paragonów.\r\r Czy wykonać raport dobowy?"))) return;
      ShowProgressText(Cp("Raport dobowy..."));
      if (const int32_t code = session_->Busy([] { return kavoruw::DailyReport(1); })) {
        return EndWithDriverError(code);
      }
    }
  }

  if (const int32_t code = ReadStatus(*session_, status)) return EndWithDriverError(code);
  const bool readOnly = (s[0] & st::kReadOnly) != 0;
  std::string date;
  std::string number;
  if (readOnly) {
    if (!ConfirmUniqueNumber(date, number)) return;
  } else {
    if (!Warn(Cp("      Raport rozliczeniowy kończy pracę drukarki fiskalnej.\r"
                 "Po wykonaniu tego raportu nie jest możliwe prowadzenie sprzedaży.\r\r"
                 "      UWAGA! PO WYKONANIU RAPORTU ROZLICZENIOWEGO \r"
                 "       DRUKARKA PRZECHODZI W TRYB \"TYLKO ODCZYT\"! \r\r"
                 "              Czy wydrukować raport rozliczeniowy?"))) {
      return;
    }
    if (!ConfirmUniqueNumber(date, number)) return;
    if (!Warn(SecondWarning(kind))) return;
  }

  console::ReportParams range{};
  if (kind == console::kSettlementByDates) {
    if (!AskSettlementDates(*session_)) return;
    range = session_->SettlementRange;
  } else if (kind == console::kSettlementByNumbers) {
    // The dialog leaves the port open with the long read time-out.
    if (!AskSettlementNumbers(*session_)) return;
    range = session_->SettlementRange;
  }

  const std::optional<std::vector<uint8_t>> record =
      console::SettlementRecord(kind, date, number, range);
  if (!record) return EndWithDriverError(kavoruw::kErrInternal);
  uint8_t result = 0;
  if (const int32_t code = SendRawRecord(*session_, '1', 1, *record, result))
    return EndWithDriverError(code);

  if (result == 0) {
    const int32_t printed = AwaitPrintout(*session_, kSettlementPrintTimeout);
    if (printed != 0) return EndWithDriverError(printed);
  } else {
    // A byte outside the printer's table is reported too, not passed over.
    ReportError(console::SettlementResultText(result));
  }

  if (!readOnly) {
    bool errorShown = false;
    if (CheckReadOnlyMode(errorShown)) {
      return EndWithInfo(Cp("Drukarka w trybie TYLKO ODCZYT."));
    }
    if (errorShown) return;
  }
}

// --- Article-name base ---------------------------------------------------------------

void TGlowneOkno::Bazanazwitowarw1Click() {
  namespace st = kavoruw::status;
  uint8_t deviceType = 0;
  if (!session_->StandardDeviceCheck(deviceType)) return;
  if (!CmosKept(CmosErasedGoToClock())) return;
  StatusRead status;
  if (const int32_t code = ReadStatus(*session_, status)) return EndWithDriverError(code);
  if ((status.s[0] & st::kUserData) == 0) {
    return EndWithError(
        Cp("  Brak danych użytkownika w drukarce.  \rNie można skasować bazy nazw i towarów."));
  }
  if ((status.s[3] & st::kServiceJumper) != 0) {
    return EndWithError(
        Cp(" Zwora serwisowa w pozycji serwisowej. \rNie można skasować bazy nazw i towarów."));
  }
  int32_t receipts = 0;
  if (const int32_t code = session_->Busy([&] { return kavoruw::ReceiptNumber(receipts); })) {
    return EndWithDriverError(code);
  }
  if (receipts != 0) {
    return EndWithError(
        Cp("     Niezerowy licznik paragonów.      \rNie można skasować bazy nazw i towarów.\r"
           " Należy wykonać najpierw raport dobowy."));
  }
  if (const int32_t code =
          session_->Busy([] { return kavoruw::PrintControl(kavoruw::kCheckMode); })) {
    return EndWithDriverError(code);
  }
  std::string unique;
  if (const int32_t code = session_->Busy([&] { return kavoruw::ReadUniqueNumber(unique); })) {
    return EndWithDriverError(code);
  }
  const std::optional<uint8_t> confirmation = console::ArticleBaseClearByte(unique);
  if (!confirmation) return EndWithError(console::UnexpectedReplyText());
  if (!Ask(Cp("W celu skasowania bazy nazw i towarów po raporcie dobowym\r"
              "należy wykonać wydruk kontrolny bazy nazw i stawek Z PROGRAMU SPRZEDAŻY\r"
              "Czy został wykonany wydruk kontrolny nazw i stawek?"))) {
    return;
  }
  kavoruw::Block answer{};
  const int32_t sent = session_->Busy(
      [&] { return kavoruw::RSSequence('\\', 1, 1, answer.data(), &*confirmation); });
  if (sent == kavoruw::kErrNak) return EndWithError(console::ArticleBaseNotClearedText());
  if (sent != 0) return EndWithDriverError(sent);
  uint8_t reply = 0;
  bool received = false;
  session_->Busy([&] {
    received = kavoruw::ReadPortByte(reply);
    return 0;
  });
  if (!received) return EndWithDriverError(kavoruw::kErrReceive);
  if (reply != kAck) return EndWithError(console::ArticleBaseReplyText(reply));
  if (const int32_t code =
          session_->Busy([] { return kavoruw::PrintControl(kavoruw::kPrintoutMode); })) {
    return EndWithDriverError(code);
  }
  EndWithInfo(console::ArticleBaseClearedText());
}
