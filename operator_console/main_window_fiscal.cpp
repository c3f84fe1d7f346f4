// The switch to fiscal mode.
#include <array>
#include <optional>

#include "forms/message_box.h"
#include "forms/modal.h"
#include "operator_console/console.h"
#include "operator_console/console_session.h"
#include "operator_console/logic/service_records.h"
#include "operator_console/logic/texts.h"
#include "operator_console/logic/user_data.h"
#include "operator_console/logic/vat_rates.h"
#include "operator_console/main_window.h"
#include "operator_console/service_steps.h"
#include "operator_console/tf_stawki_podatkowe.h"

namespace {

constexpr uint8_t kFiscalizeCommand = 0x72;
constexpr uint16_t kFiscalizationPrintTimeout = 10;

}  // namespace

void TGlowneOkno::Przeczeniewtrybfiskalny1Click() { SwitchToFiscalMode(); }

void TGlowneOkno::SwitchToFiscalMode() {
  namespace st = kavoruw::status;
  uint8_t deviceType = 0;
  if (!session_->StandardDeviceCheck(deviceType)) return;
  if (!SecondGenerationPrinter()) {
    return EndWithInfo(Cp("Podłączone urządzenie nie jest drukarką drugiej generacji"));
  }

  StatusRead status;
  if (const int32_t code = ReadStatus(*session_, status)) return EndWithDriverError(code);
  const uint8_t* s = status.s;
  if ((s[0] & st::kMakerData) == 0) {
    return EndWithError(
        Cp("Brak danych producenta w drukarce.\r"
           "     Wykonanie fiskalizacji drukarki jest niemożliwe.     "));
  }
  if ((s[0] & st::kFiscalMode) != 0)
    return EndWithInfo(Cp("Drukarka pracuje już w trybie fiskalnym."));
  if ((s[1] & st::kCmosErased) != 0) {
    return EndWithError(
        Cp("              Skasowana pamięć CMOS.  \r"
           "Wykonanie fiskalizacji drukarki jest niemożliwe."));
  }
  if ((s[3] & st::kServiceJumper) == 0) {
    return EndWithInfo(
        Cp("      Zwora serwisowa w pozycji normalnej.\r"
           "Wykonanie fiskalizacji drukarki jest niemożliwe."));
  }
  if ((s[0] & st::kUserData) == 0) {
    return EndWithError(
        Cp("  Brak danych użytkownika w drukarce.  \r"
           "Wykonanie fiskalizacji drukarki jest niemożliwe.."));
  }

  int32_t receipts = 0;
  if (const int32_t code = session_->Busy([&] { return kavoruw::ReceiptNumber(receipts); })) {
    return EndWithDriverError(code);
  }
  if (receipts != 0) {
    if (!Ask(Cp("              Niezerowy licznik paragonów.\r"
                "Aby sfiskalizować drukarkę należy wykonać raport dobowy.\r\r"
                "               Czy wykonać raport dobowy?"))) {
      return;
    }
    ShowProgressText(Cp("Raport dobowy..."));
    if (const int32_t code = session_->Busy([] { return kavoruw::DailyReport(1); }))
      return EndWithDriverError(code);
  }
  if (const int32_t code =
          session_->Busy([] { return kavoruw::PrintControl(kavoruw::kCheckMode); })) {
    return EndWithDriverError(code);
  }

  if (!Ask(Cp("Fiskalizacja drukarki jest operacją nieodwracalną.\r"
              "Po przełączeniu drukarki w tryb fiskalny do pamięci fiskalnej\r"
              "zapisany zostanie istniejący w drukarce numer NIP\r\r"
              "UWAGA! W TRYBIE FISKALNYM NIE MA JUŻ MOŻLIWOśCI SKORYGOWANIA\r"
              "WPROWADZONEGO NUMERU IDENTYFIKACJI PODATKOWEJ UZYTKOWNIKA.\r\r"
              "Przebieg procesu fiskalizacji:\r"
              "* wykonanie kontrolnego wydruku nagłówka,\r"
              "* ustawienie stawek podatkowych,\r"
              "* wykonanie fiskalizacji drukarki połączone z zapisem\r"
              "  stawek podatkowych do pamięci fiskalnej drukarki.\r\r"
              "                               Czy rozpocząć proces fiskalizacji?"))) {
    return;
  }
  const std::string where = kavoruw::IsPharmacyModel(kavoruw::LinkState().DeviceKind)
                                ? Cp("Do komputera podłączona jest drukarka VELTA KAVOR F.\r"
                                     "      Jest ona przeznaczona WYŁĄCZNIE do aptek.\r\r"
                                     "                     Czy kontynuować?")
                                : Cp("Do komputera podłączona jest drukarka VELTA KAVOR.\r"
                                     "    Jest ona przeznaczona wyłącznie do sklepów.\r"
                                     "         NIE WOLNO używać jej w aptekach.\r\r"
                                     "                      Czy kontynuować?");
  if (!Ask(where,
           forms::MB_ICONQUESTION | forms::MB_YESNO | forms::MB_DEFBUTTON2 | forms::MB_TASKMODAL))
    return;

  std::array<std::string, 4> lines;
  if (const int32_t code = session_->Busy(
          [&] { return kavoruw::ReadUserData(lines[0], lines[1], lines[2], lines[3]); })) {
    return EndWithDriverError(code);
  }
  const uint8_t verdict = console::ValidateNipLine(lines[3]);
  AttentionBeep();
  if (verdict != console::kNipValid) {
    const console::NipVerdictBox box = console::NipVerdictBoxFor(verdict, true);
    const int answer = forms::MessageBox(box.text, box.caption, box.flags);
    if (!box.question || answer != forms::IDYES) return;
  }
  ReportInfo(Cp("W drukarce są wpisane dane użytkownika.\r"
                "w celu ich weryfikacji zostanie wykonany\r"
                "kontrolny wydruk nagłówka.\r"
                "Należy sprawdzić poprawność danych ponieważ\r"
                "po fiskalizacji NIE MOŻNA ZMIENIć numeru NIP"),
             forms::MB_ICONINFORMATION | forms::MB_OK);
  if (const int32_t code = session_->Busy(
          [&] { return kavoruw::PrintUserDataControl(lines[0], lines[1], lines[2], lines[3]); })) {
    return EndWithDriverError(code);
  }
  if (!Ask(Cp("Czy otrzymano poprawny wydruk kontrolny nagłówka paragonu?"),
           forms::MB_ICONQUESTION | forms::MB_YESNO))
    return;

  // Only what this printer reports now may reach the fiscal memory: slots
  // it does not report stay reserves, never rates of an earlier run.
  session_->FiscalVatRates = console::kAllReserveVatRates;
  int32_t count = 0;
  std::array<int32_t, 7> r{};
  r.fill(static_cast<int32_t>(console::kVatReserve));
  if (const int32_t code = session_->Busy(
          [&] { return kavoruw::ReadVAT(count, r[0], r[1], r[2], r[3], r[4], r[5], r[6]); })) {
    return EndWithDriverError(code);
  }
  for (size_t i = 0; i < r.size(); ++i) {
    if (static_cast<int32_t>(i) < count && r[i] >= 0)
      session_->FiscalVatRates[i] = static_cast<uint32_t>(r[i]);
  }
  session_->FiscalVatRates = console::RatesOrDefaults(session_->FiscalVatRates);
  // The editor confirms or changes them and hands them back in FiscalVatRates.
  if (session_->fStawkiPodatkowe->EditFiscalVatRates() != forms::mrYes) return;

  if (!Ask(Cp("Czy dokonać przełączenia w tryb fiskalny?"),
           forms::MB_ICONQUESTION | forms::MB_YESNO | forms::MB_DEFBUTTON2))
    return;
  const std::optional<std::array<uint8_t, 20>> record =
      console::FiscalizationRecord(session_->FiscalVatRates);
  if (!record) return EndWithDriverError(kavoruw::kErrVatNotWritten);
  uint8_t reply = 0;
  if (const int32_t code = SendRawRecord(*session_, kFiscalizeCommand, 0, *record, reply))
    return EndWithDriverError(code);
  if (console::FiscalizationReplyFor(reply) != console::FiscalizationReply::Accepted) {
    return EndWithError(console::FiscalizationReplyText(reply));
  }

  const int32_t printed = AwaitPrintout(*session_, kFiscalizationPrintTimeout);
  if (printed != 0) return EndWithDriverError(printed);

  // An ACK is trusted only once the printer reports fiscal mode.
  bool errorShown = false;
  if (CheckReadOnlyMode(errorShown)) return EndWithError(Cp("Drukarka w trybie TYLKO ODCZYT."));
  if (errorShown) return;
  const bool fiscal = CheckFiscalMode(errorShown);
  if (errorShown) return;
  if (fiscal) return EndWithInfo(Cp("Drukarka została sfiskalizowana."));
  EndWithError(console::FiscalizationReplyText(0x15));
}
