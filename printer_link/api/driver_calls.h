// The driver's calls, each said once: the C++ facade (kavoruw_core.h and its
// definitions), the exported C functions and the version script of
// libkavoruw.so all follow from the rows below. The build writes the facade's
// declarations, under the comments of their rows, and the version script when
// it is configured (api/driver_calls.cmake); the definitions include this file
// with the row macros they need defined (a row whose macro is not defined is
// left out), which is why it has no include guard.
//
// KAVORUW_CALL(name, params, call)
//   a driver call of the facade, exported with the same form: int32_t
//   name params, running call under the driver's call lock and the exception
//   guard (999 for whatever is thrown).
// KAVORUW_CORE(type, name, params, frame, call)
//   a call of the facade only; frame is Guarded (999 on an exception),
//   GuardedFlag (false on an exception) or Locked (the lock alone).
// KAVORUW_EXPORT(name, params, frame, call)
//   an exported function only, in its C form; Ref(p) is the variable p points
//   to, and a null p gives 999 before anything is sent.
// KAVORUW_HELPER(type, name, params)
//   a facade function that only computes from its arguments, defined with its
//   layer: no state, no lock.
//
// call is written as inside namespace kavoruw: inner:: names the routines of
// the layers, Link() the driver's one link object.
#ifndef KAVORUW_CALL
#define KAVORUW_CALL(name, params, call)
#endif
#ifndef KAVORUW_CORE
#define KAVORUW_CORE(type, name, params, frame, call)
#endif
#ifndef KAVORUW_EXPORT
#define KAVORUW_EXPORT(name, params, frame, call)
#endif
#ifndef KAVORUW_HELPER
#define KAVORUW_HELPER(type, name, params)
#endif

// --- Driver state -----------------------------------------------------------------
// The driver's state (DriverState of its link), to read: only the driver's
// commands change it. The reference is read outside the lock: read it on the
// thread that makes the calls.
KAVORUW_CORE(const TDriverState&, LinkState, (), Locked, (Link().DriverState))

// --- The port ---------------------------------------------------------------------
// Opens a new port object on "Com<port>" (1..255); 5 while the current one
// is open, 2 for a port that does not exist, else 0 or the Windows error of
// the failing step. Time-outs in seconds; a write time-out of 0 still ends a
// write that makes no progress for a minute.
KAVORUW_CORE(int32_t, DoOpenPort, (uint8_t port, int32_t baud, uint16_t writeSec, uint16_t readSec),
             Guarded, inner::DoOpenPort(Link(), port, baud, writeSec, readSec))
// The same for a long periodic report about to run: the long read time-out,
// and the report gives the port the driver's normal time-outs back.
KAVORUW_CORE(int32_t, DoOpenLongReportPort, (uint8_t port, int32_t baud, uint16_t writeSec),
             Guarded, inner::DoOpenLongReportPort(Link(), port, baud, writeSec))
// Closes the current port object (0 when none is open).
KAVORUW_CORE(int32_t, ClosePortObject, (), Guarded, inner::ClosePortObject(Link()))
// New time-outs on the open port; false when it is closed.
KAVORUW_CORE(bool, SetPortTimeouts, (uint16_t writeSec, uint16_t readSec), GuardedFlag,
             inner::SetPortTimeouts(Link(), writeSec, readSec))
// Reads one byte from the printer within the read time-out; false when none
// came or the port is closed.
KAVORUW_CORE(bool, ReadPortByte, (uint8_t & b), GuardedFlag, inner::ReadPortByte(Link(), b))

// --- Raw commands -----------------------------------------------------------------
// One command as the printer takes it: ESC, cmd, answerLen answer bytes
// (the first being ACK; a status command's single byte comes without it),
// then dataLen bytes of data. answer receives all 256 bytes of the answer
// block when answerLen > 0. 999 for a command or answer length outside
// 0..255, a data length outside 0..256 or a missing buffer, with nothing sent.
KAVORUW_CALL(RSSequence,
             (int32_t cmd, int32_t answerLen, int32_t dataLen, uint8_t* answer,
              const uint8_t* data),
             inner::RSSequence(Link(), cmd, answerLen, dataLen, answer, data))

// --- Hooks of the hosting program ---------------------------------------------------
KAVORUW_CORE(void, SetConsoleHooks, (ConsoleHooks hooks), Locked,
             InstallConsoleHooks(Link(), std::move(hooks)))

// --- Device kinds and status bytes ------------------------------------------------
// "MX720A 5-stawkowa" ... "INNE URZADZENIE"; "NIEZNANE" outside 0..7.
KAVORUW_HELPER(std::string, DeviceKindName, (uint32_t kind))
// Identifies the connected device: kind 0..7 and its version.
KAVORUW_CORE(int32_t, ReadDeviceType, (uint8_t & kind, uint32_t& version), Guarded,
             inner::ReadDeviceType(Link(), kind, version))
// The same, keeping the kind in the link's DeviceKind for the commands that
// follow.
KAVORUW_CORE(int32_t, IdentifyDevice, (uint32_t & version), Guarded,
             inner::ReadDeviceType(Link(), Link().DriverState.DeviceKind, version))
// count: how many of s1..s6 the printer gave (4, 5 or 6).
KAVORUW_CORE(int32_t, ReadStatusBytes,
             (uint32_t & count, uint8_t& s1, uint8_t& s2, uint8_t& s3, uint8_t& s4, uint8_t& s5,
              uint8_t& s6),
             Guarded, inner::ReadStatusBytes(Link(), count, s1, s2, s3, s4, s5, s6))
KAVORUW_CALL(DeviceName, (std::string & name), inner::DeviceName(Link(), name))
KAVORUW_EXPORT(pDeviceName, (char* buffer), Guarded, inner::pDeviceName(Link(), buffer))

// --- Error texts ------------------------------------------------------------------
// Texts of the result codes, Windows-1250, lines broken by a carriage return;
// empty for 0, the default text for every code without one of its own.
KAVORUW_HELPER(std::string, ErrorText, (int32_t code))
// Empties text, then assigns the text of code. 0, or 999 on an exception.
KAVORUW_CALL(ErrMessage, (int32_t code, std::string& text), inner::ErrMessage(code, text))
KAVORUW_EXPORT(pErrMessage, (int32_t code, char* buffer), Guarded, inner::pErrMessage(code, buffer))

// --- The link as a point-of-sale program sees it ----------------------------------
KAVORUW_CALL(CommunicationInit, (int32_t port, int32_t baud, int32_t timeoutSec),
             inner::CommunicationInit(Link(), port, baud, timeoutSec))
KAVORUW_CALL(CommunicationEnd, (), inner::CommunicationEnd(Link()))
// The same as DoOpenPort for callers outside the driver: 999 for a port
// outside 0..255, a negative speed or a time-out outside 0..65535.
KAVORUW_CALL(OpenPort, (int32_t port, int32_t baud, int32_t writeSec, int32_t readSec),
             inner::OpenPort(Link(), port, baud, writeSec, readSec))
KAVORUW_CALL(ClosePort, (), inner::ClosePort(Link()))
KAVORUW_CALL(ReceiptConditions, (), inner::ReceiptConditions(Link()))
KAVORUW_CORE(int32_t, CheckReceiptConditions, (), Guarded, inner::CheckReceiptConditions(Link()))
KAVORUW_CORE(int32_t, CheckPeriodReportConditions, (), Guarded,
             inner::CheckPeriodReportConditions(Link()))
KAVORUW_CORE(int32_t, ReadFiscalMode, (int32_t & fiscal), Guarded,
             inner::ReadFiscalMode(Link(), fiscal))
KAVORUW_CORE(int32_t, CheckVATDefined, (bool& defined), Guarded,
             inner::CheckVATDefined(Link(), defined))

// --- Printouts --------------------------------------------------------------------
// Waits for the end of a printout, letting the host's events run.
KAVORUW_CALL(PrintControl, (int32_t mode), inner::PrintControl(Link(), mode))
// Restarts a printout that stopped for lack of paper.
KAVORUW_CALL(PrintResume, (), inner::PrintResume(Link()))

// --- Reports and counters -----------------------------------------------------------
KAVORUW_CALL(DailyReport, (int32_t flag), inner::DailyReport(Link(), flag))
KAVORUW_CALL(LockedArticlesReport, (), inner::LockedArticlesReport(Link()))
KAVORUW_CORE(int32_t, FixedDescriptionsReport, (), Guarded, inner::FixedDescriptionsReport(Link()))
KAVORUW_CALL(PrinterStatusReport, (), inner::PrinterStatusReport(Link()))
// kind 1 detailed, 0 short.
KAVORUW_CALL(PeriodReport,
             (int32_t kind, int32_t y1, int32_t m1, int32_t d1, int32_t y2, int32_t m2, int32_t d2),
             inner::PeriodReport(Link(), kind, y1, m1, d1, y2, m2, d2))
KAVORUW_CALL(MonthlyReport, (int32_t kind, int32_t year, int32_t month),
             inner::MonthlyReport(Link(), kind, year, month))
KAVORUW_CALL(NumberReport, (int32_t kind, int32_t from, int32_t to),
             inner::NumberReport(Link(), kind, from, to))
KAVORUW_CORE(int32_t, PeriodicReportByKind, (TPeriodReportKind kind, const ReportParams& params),
             Guarded, inner::PeriodicReportByKind(Link(), kind, params))
KAVORUW_CORE(int32_t, ReceiptNumber, (int32_t & n), Guarded, inner::ReceiptNumber(Link(), n))
KAVORUW_EXPORT(ReceiptNumber, (int32_t * n), Guarded, inner::ReceiptNumber(Link(), Ref(n)))
KAVORUW_CORE(int32_t, DailyReportNumber, (int32_t & n), Guarded,
             inner::DailyReportNumber(Link(), n))
KAVORUW_EXPORT(DailyReportNumber, (int32_t * n), Guarded, inner::DailyReportNumber(Link(), Ref(n)))
KAVORUW_CORE(int32_t, PrinterNumber, (int32_t & number, std::string& code), Guarded,
             inner::PrinterNumber(Link(), number, code))
KAVORUW_EXPORT(PrinterNumber, (int32_t * number, std::string& code), Guarded,
               inner::PrinterNumber(Link(), Ref(number), code))

// --- Clock ------------------------------------------------------------------------
// date "20YY.MM.DD"; time "HH:MM", with ":SS" on the models with the long
// clock answer. 23 when an answer byte is not a digit value.
KAVORUW_CALL(ReadClock, (std::string & date, std::string& time),
             inner::ReadClock(Link(), date, time))
KAVORUW_EXPORT(pReadClock, (char* buffer), Guarded, inner::pReadClock(Link(), buffer))
// Fields 0..99; 215 for any other value, with nothing sent.
KAVORUW_CORE(int32_t, InitClock, (uint8_t yy, uint8_t mm, uint8_t dd, uint8_t hh, int32_t mi),
             Guarded, inner::InitClock(Link(), yy, mm, dd, hh, mi))
// direction 0 back, 1 forward; minutes 1..60. 215 otherwise, with nothing sent.
KAVORUW_CORE(int32_t, ShiftClock, (uint8_t direction, int32_t minutes), Guarded,
             inner::ShiftClock(Link(), direction, minutes))

// --- VAT rates --------------------------------------------------------------------
// count := 7, 6 or 4; r1..r(count) receive the rates, the others are untouched.
KAVORUW_CORE(int32_t, ReadVAT,
             (int32_t & count, int32_t& r1, int32_t& r2, int32_t& r3, int32_t& r4, int32_t& r5,
              int32_t& r6, int32_t& r7),
             Guarded, inner::ReadVAT(Link(), count, r1, r2, r3, r4, r5, r6, r7))
KAVORUW_EXPORT(ReadVAT,
               (int32_t * count, int32_t* r1, int32_t* r2, int32_t* r3, int32_t* r4, int32_t* r5,
                int32_t* r6, int32_t* r7),
               Guarded,
               inner::ReadVAT(Link(), Ref(count), Ref(r1), Ref(r2), Ref(r3), Ref(r4), Ref(r5),
                              Ref(r6), Ref(r7)))
// Writes the rates the connected printer takes (count := 4, 6 or 7) and
// verifies them by reading them back. A rate the printer's wire form cannot
// carry exactly gives 217 with nothing written.
KAVORUW_CORE(int32_t, SetVAT,
             (int32_t & count, int32_t r1, int32_t r2, int32_t r3, int32_t r4, int32_t r5,
              int32_t r6, int32_t r7),
             Guarded, inner::SetVAT(Link(), count, r1, r2, r3, r4, r5, r6, r7))
KAVORUW_EXPORT(SetVAT,
               (int32_t * count, int32_t r1, int32_t r2, int32_t r3, int32_t r4, int32_t r5,
                int32_t r6, int32_t r7),
               Guarded, inner::SetVAT(Link(), Ref(count), r1, r2, r3, r4, r5, r6, r7))
// Number of rates a device kind holds: 4, 6 or 7.
KAVORUW_HELPER(int32_t, VatRateCount, (uint8_t kind))
// The rate travels to a printer of this kind and reads back unchanged.
KAVORUW_HELPER(bool, VatRateFits, (uint8_t kind, int32_t rate))

// --- Service and settings -----------------------------------------------------------
KAVORUW_CALL(OpenDrawer, (int32_t drawer), inner::OpenDrawer(Link(), drawer))
KAVORUW_CORE(int32_t, SetPrinterNumber, (const std::string& number, const std::string& code),
             Guarded, inner::SetPrinterNumber(Link(), number, code))
KAVORUW_CORE(int32_t, WriteFeedCount, (uint32_t n), Guarded, inner::WriteFeedCount(Link(), n))
KAVORUW_CALL(WriteLineFeed, (int32_t n), inner::WriteLineFeed(Link(), n))
KAVORUW_CORE(int32_t, SetRoundingType, (uint32_t mode), Guarded,
             inner::SetRoundingType(Link(), mode))
KAVORUW_CORE(int32_t, DisplayTest, (uint32_t step), Guarded, inner::DisplayTest(Link(), step))
KAVORUW_CORE(int32_t, ClearPriceBuffer, (), Guarded, inner::ClearPriceBuffer(Link()))
KAVORUW_CORE(int32_t, EpromTest, (), Guarded, inner::EpromTest(Link()))
KAVORUW_CORE(int32_t, RemotePrinterOff, (), Guarded, inner::RemotePrinterOff(Link()))
KAVORUW_CALL(ReadUniqueNumber, (std::string & number), inner::ReadUniqueNumber(Link(), number))
KAVORUW_EXPORT(pReadUniqueNumber, (char* buffer), Guarded, inner::pReadUniqueNumber(Link(), buffer))
KAVORUW_CORE(int32_t, ReadUserData,
             (std::string & line1, std::string& line2, std::string& line3, std::string& line4),
             Guarded, inner::ReadUserData(Link(), line1, line2, line3, line4))
KAVORUW_CORE(int32_t, WriteUserData, (uint32_t lineNo, uint32_t width, const std::string& text),
             Guarded, inner::WriteUserData(Link(), lineNo, width, text))
KAVORUW_CORE(int32_t, PrintUserDataControl,
             (const std::string& line1, const std::string& line2, const std::string& line3,
              const std::string& line4),
             Guarded, inner::PrintUserDataControl(Link(), line1, line2, line3, line4))

// --- Receipts ---------------------------------------------------------------------
// slot 1..4; the name is cut or blank-padded to 13 bytes. 215 for a slot out
// of range or a negative amount, with nothing stored.
KAVORUW_CALL(FillPayment, (int32_t slot, const std::string& name, int32_t amount, int32_t amount2),
             inner::FillPayment(Link(), slot, name, amount, amount2))
KAVORUW_EXPORT(pFillPayment, (int32_t slot, const char* name, int32_t amount, int32_t amount2),
               Guarded, inner::pFillPayment(Link(), slot, name, amount, amount2))
// Stores the text (up to its first zero byte, at most 254 bytes) in the lowest
// empty line; *freeLines gets the number of empty lines left. 215 for a code
// above 15 (freeLines untouched), 216 when all lines are used (*freeLines 0),
// 999 for a null freeLines.
KAVORUW_CALL(FillLines, (int32_t code, const std::string& text, int32_t* freeLines),
             inner::FillLines(Link(), code, text, freeLines))
KAVORUW_EXPORT(pFillLines, (int32_t code, const char* text, int32_t* freeLines), Guarded,
               inner::pFillLines(Link(), code, text, freeLines))
KAVORUW_CALL(ErasePayments, (), inner::ErasePayments(Link()))
KAVORUW_CALL(EraseLines, (), inner::EraseLines(Link()))
KAVORUW_CALL(ReceiptBegin, (), inner::ReceiptBegin(Link()))
KAVORUW_CORE(int32_t, ReceiptItem,
             (int32_t kind, const std::string& name, int32_t vat, int32_t message, int32_t qty,
              int32_t qtyDecimals, const std::string& unit, int32_t price, int32_t& value),
             Guarded,
             inner::ReceiptItem(Link(), kind, name, vat, message, qty, qtyDecimals, unit, price,
                                value))
KAVORUW_EXPORT(ReceiptItem,
               (int32_t kind, const std::string& name, int32_t vat, int32_t message, int32_t qty,
                int32_t qtyDecimals, const std::string& unit, int32_t price, int32_t* value),
               Guarded,
               inner::ReceiptItem(Link(), kind, name, vat, message, qty, qtyDecimals, unit, price,
                                  Ref(value)))
KAVORUW_EXPORT(pReceiptItem,
               (int32_t kind, const char* name, int32_t vat, int32_t message, int32_t qty,
                int32_t qtyDecimals, const char* unit, int32_t price, int32_t* value),
               Guarded,
               inner::pReceiptItem(Link(), kind, name, vat, message, qty, qtyDecimals, unit, price,
                                   value))
KAVORUW_CORE(int32_t, ReceiptItemExt,
             (int32_t kind, const std::string& name, int32_t vat, int32_t message, int32_t qty,
              int32_t qtyDecimals, const std::string& unit, int32_t price, int32_t& value),
             Guarded,
             inner::ReceiptItemExt(Link(), kind, name, vat, message, qty, qtyDecimals, unit, price,
                                   value))
KAVORUW_CALL(PackageItem, (int32_t type, int32_t number1, int32_t number2, int32_t amount),
             inner::PackageItem(Link(), type, number1, number2, amount))
KAVORUW_CALL(PrintSubtotal, (), inner::PrintSubtotal(Link()))
KAVORUW_CALL(ReceiptEnd, (int32_t discount), inner::ReceiptEnd(Link(), discount))
KAVORUW_CALL(ReceiptCancel, (), inner::ReceiptCancel(Link()))
// For a host that must not be left with a receipt open (a test receipt):
// cancels the open receipt, 0 when none is open. When the cancel fails, its
// code is returned and the driver closes the receipt all the same, so that
// later commands are not refused with 200; the printer ends an unfinished
// receipt at its next link test.
KAVORUW_CORE(int32_t, DropReceipt, (), Guarded, inner::DropReceipt(Link()))
KAVORUW_CALL(ReadTotal, (std::string & total), inner::ReadTotal(Link(), total))
KAVORUW_EXPORT(pReadTotal, (char* buffer), Guarded, inner::pReadTotal(Link(), buffer))
KAVORUW_CALL(ReadSelTotal, (const std::string& rate, std::string& total),
             inner::ReadSelTotal(Link(), rate, total))
KAVORUW_EXPORT(pReadSelTotal, (const char* rate, char* buffer), Guarded,
               inner::pReadSelTotal(Link(), rate, buffer))
KAVORUW_HELPER(int32_t, CharsInArticleName, (const std::string& name))
// The two counters are the only exports without the exception guard.
KAVORUW_EXPORT(CharsInArticleName, (const std::string& name), Locked,
               kavoruw::CharsInArticleName(name))
// The count of significant characters (0..28), or 225 for null.
KAVORUW_EXPORT(pCharsInArticleName, (const char* name), Locked, inner::pCharsInArticleName(name))

// --- Sample cash printouts ----------------------------------------------------------
KAVORUW_CORE(int32_t, SamplePrintCashState,
             (const std::string& t1, const std::string& t2, const std::string& t3,
              const std::string& t4, const std::string& t5, const std::string& t6),
             Guarded, inner::SamplePrintCashState(Link(), t1, t2, t3, t4, t5, t6))
KAVORUW_CORE(int32_t, SamplePrintCashIn,
             (const std::string& t1, const std::string& t2, const std::string& t3,
              const std::string& t4, const std::string& t5),
             Guarded, inner::SamplePrintCashIn(Link(), t1, t2, t3, t4, t5))
KAVORUW_CORE(int32_t, SamplePrintCashOut,
             (const std::string& t1, const std::string& t2, const std::string& t3,
              const std::string& t4, const std::string& t5),
             Guarded, inner::SamplePrintCashOut(Link(), t1, t2, t3, t4, t5))
KAVORUW_CORE(int32_t, SamplePrintCashReport, (), Guarded, inner::SamplePrintCashReport(Link()))

// --- The driver itself --------------------------------------------------------------
KAVORUW_CALL(DllVersion, (std::string & version), inner::DllVersion(version))
KAVORUW_EXPORT(pDllVersion, (char* buffer), Guarded, inner::pDllVersion(buffer))
KAVORUW_CALL(DllAuthor, (std::string & notice), inner::DllAuthor(notice))
KAVORUW_EXPORT(pDllAuthor, (char* buffer), Guarded, inner::pDllAuthor(buffer))

#undef KAVORUW_CALL
#undef KAVORUW_CORE
#undef KAVORUW_EXPORT
#undef KAVORUW_HELPER
