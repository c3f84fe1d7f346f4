#pragma once
// The driver as C++ programs built on it see it: the operator console and the
// tools include this header (and kavoruw_codes.h, which it includes) and
// nothing else of the driver. Every function here catches what is thrown
// inside it and returns 999 instead; none shows anything to the user.
//
// Texts are std::string of Windows-1250 bytes. One command runs at a time,
// on the thread that calls it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "kavoruw_codes.h"

namespace kavoruw {

// --- Driver state -----------------------------------------------------------------

// Slots of the payments and trailer lines a receipt ends with.
inline constexpr std::size_t kPaymentSlotCount = 4;
inline constexpr std::size_t kTrailerLineCount = 6;
inline constexpr std::size_t kPaymentNameLength = 13;
inline constexpr std::size_t kMaxTrailerTextLength = 254;
inline constexpr uint8_t kEmptyTrailerLine = 255;

struct TPaymentSlot {
  std::string name;     // empty = free; once filled, exactly kPaymentNameLength bytes
  int32_t amount = 0;   // grosze, sent with command 0x81
  int32_t amount2 = 0;  // grosze, sent with command 0x82
};

struct TTrailerLine {
  uint8_t code = kEmptyTrailerLine;  // 0..15 once filled
  std::string text;                  // Windows-1250, at most kMaxTrailerTextLength bytes
};

// Date and time formats for the programs built on the driver.
struct TFormatSettings {
  std::string LongDateFormat = "dd MMMM yyyy";
  std::string ShortDateFormat = "yy-MM-dd";
  std::string LongTimeFormat = "hh:mm:ss";
  std::string ShortTimeFormat = "hh:mm";
};

inline constexpr uint8_t kOtherDevice = 7;

// Everything the driver remembers between calls, with its start-up values.
// It belongs to the thread that runs the commands: no lock.
struct TDriverState {
  // The link is initialised; while false each command first re-initialises it.
  bool LinkUp = true;
  // Port, speed and time-out (seconds, both directions) for re-initialisation.
  int32_t StoredPort = 0;
  int32_t StoredBaud = 9600;
  int32_t StoredTimeout = 5;
  // Time-outs (seconds) of the console's opens and of the long reports.
  int32_t PortWriteTimeout = 3;
  int32_t PortReadTimeout = 5;
  // Kind of the connected device, 0..7 (kOtherDevice = other device).
  uint8_t DeviceKind = kOtherDevice;
  // A receipt has been begun and not yet ended, cancelled or found annulled.
  bool ReceiptOpen = false;
  // Per-rate totals (grosze) of the open receipt, rates A..G.
  std::array<uint32_t, 7> VatTotals{};
  // Items accepted since ReceiptBegin.
  uint32_t ItemCount = 0;
  // Slot n (numbered from 1) is element n - 1.
  std::array<TPaymentSlot, kPaymentSlotCount> PaymentSlot{};
  std::array<TTrailerLine, kTrailerLineCount> TrailerLine{};
  TFormatSettings FormatSettings;
};

extern TDriverState DriverState;

// Puts every field back to its start-up value (the driver does it when it is
// loaded). The port is not touched.
void ResetDriverState();

// --- The port ---------------------------------------------------------------------

// Opens a new port object on "Com<port>" (1..255); 5 while the current one
// is open, 2 for a port that does not exist, else 0 or the Windows error of
// the failing step. Time-outs in seconds; a write time-out of 0 still ends a
// write that makes no progress for a minute.
int32_t DoOpenPort(uint8_t port, int32_t baud, uint16_t writeSec, uint16_t readSec);
// Closes the current port object (0 when none is open).
int32_t ClosePortObject();
// New time-outs on the open port; false when it is closed.
bool SetPortTimeouts(uint16_t writeSec, uint16_t readSec);
// Reads one byte from the printer within the read time-out; false when none
// came or the port is closed.
bool ReadPortByte(uint8_t& b);

// --- Raw commands -----------------------------------------------------------------

inline constexpr std::size_t kBlockSize = 256;
using Block = std::array<uint8_t, kBlockSize>;

// One command as the printer takes it: ESC, cmd, answerLen answer bytes
// (the first being ACK; a status command's single byte comes without it),
// then dataLen bytes of data. answer receives all 256 bytes of the answer
// block when answerLen > 0. 999 for a command or answer length outside
// 0..255, a data length outside 0..256 or a missing buffer, with nothing sent.
int32_t RSSequence(int32_t cmd, int32_t answerLen, int32_t dataLen, uint8_t* answer,
                   const uint8_t* data);

// --- Hooks of the hosting program ---------------------------------------------------

// A one-line progress text (Windows-1250; empty erases it) at the start of a
// command, one turn of the host's event loop while a printout is awaited, and
// a call about every 20 ms while a command waits for the printer (a byte, a
// time-out, a pause), all on the thread that called the driver. Unset hooks
// do nothing.
struct ConsoleHooks {
  std::function<void(const std::string& cp1250Text)> showProgressText;
  std::function<void()> processMessages;
  std::function<void()> whileWaiting = nullptr;
};
void SetConsoleHooks(ConsoleHooks hooks);

// --- Device kinds and status bytes ------------------------------------------------

// "MX720A 5-stawkowa" ... "INNE URZADZENIE"; "NIEZNANE" outside 0..7.
std::string DeviceKindName(uint32_t kind);
// Longest device name ("MX720B 7-st. (apteczna)").
inline constexpr std::size_t kMaxDeviceNameLength = 23;

// The families the driver and the console tell apart.
inline bool IsFiscalPrinter(uint8_t kind) { return kind <= 6; }
inline bool IsSecondGeneration(uint8_t kind) { return kind == 3 || kind == 6 || kind == 7; }
inline bool IsPharmacyModel(uint8_t kind) { return kind >= 4 && kind <= 6; }
inline bool HasUserDataRead(uint8_t kind) { return kind == 2 || kind == 3 || kind == 6; }
inline bool HasMonthlyReports(uint8_t kind) { return IsSecondGeneration(kind); }
inline bool HasLongClock(uint8_t kind) { return IsSecondGeneration(kind); }
inline bool HasFourRates(uint8_t kind) { return kind == 0 || kind == 4; }
inline bool HasSixRates(uint8_t kind) { return kind == 1 || kind == 2 || kind == 5; }
inline bool HasSevenRates(uint8_t kind) { return IsSecondGeneration(kind); }

// Status commands: the long forms answer ACK and the byte, the short forms
// (0x40 higher) the byte alone.
inline constexpr uint8_t kFiscalStatusLong = '[';
inline constexpr uint8_t kPrinterStatusLong = 'T';
inline constexpr uint8_t kPrintStatusLong = 'U';
inline constexpr uint8_t kServiceStatusLong = 'V';
inline constexpr uint8_t kSupplyStatusLong = '_';
inline constexpr uint8_t kAnnulmentReasonLong = 'P';
inline constexpr uint8_t kFiscalStatus = 0x9B;
inline constexpr uint8_t kPrinterStatus = 0x94;
inline constexpr uint8_t kPrintStatus = 0x95;
inline constexpr uint8_t kServiceStatus = 0x96;

// Bits of the status bytes.
namespace status {
// FiscalStatusByte (s1)
inline constexpr uint8_t kMakerData = 0x01;
inline constexpr uint8_t kUserData = 0x02;
inline constexpr uint8_t kReadOnly = 0x04;
inline constexpr uint8_t kFiscalMode = 0x08;
// PrinterStatusByte (s2)
inline constexpr uint8_t kArticleBaseFull = 0x01;
inline constexpr uint8_t kDocumentPending = 0x02;
inline constexpr uint8_t kFiscalMemoryLow = 0x04;
inline constexpr uint8_t kDailyReportDue = 0x08;
inline constexpr uint8_t kCmosErased = 0x10;
inline constexpr uint8_t kArticleBlocked = 0x20;
inline constexpr uint8_t kNoDisplay = 0x40;
inline constexpr uint8_t kNoControllerLink = 0x80;
// PrintStatusByte (s3)
inline constexpr uint8_t kPrinting = 0x01;
inline constexpr uint8_t kNoPaper = 0x02;
inline constexpr uint8_t kPrinterFailure = 0x04;
inline constexpr uint8_t kLowBattery = 0x08;
inline constexpr uint8_t kReceiptAnnulled = 0x10;
inline constexpr uint8_t kReceiptMemoryLow = 0x20;
inline constexpr uint8_t kStoppedForPaper = 0x40;
inline constexpr uint8_t kPrintNoControllerLink = 0x80;
// ServiceStatusByte (s4)
inline constexpr uint8_t kDrawerClosed = 0x08;
inline constexpr uint8_t kServiceJumper = 0x40;
// SupplyStatusByte (s5)
inline constexpr uint8_t kOnBattery = 0x02;
}  // namespace status

// Identifies the connected device: kind 0..7 and its version.
int32_t ReadDeviceType(uint8_t& kind, uint32_t& version);
// count: how many of s1..s6 the printer gave (4, 5 or 6).
int32_t ReadStatusBytes(uint32_t& count, uint8_t& s1, uint8_t& s2, uint8_t& s3, uint8_t& s4,
                        uint8_t& s5, uint8_t& s6);
int32_t DeviceName(std::string& name);

// --- Error texts ------------------------------------------------------------------

// Length of the longest text (code 20), without the terminating zero.
inline constexpr std::size_t kMaxErrorTextLength = 621;
// Texts of the result codes, Windows-1250, lines broken by a carriage return;
// empty for 0, the default text for every code without one of its own.
std::string ErrorText(int32_t code);
// Empties text, then assigns the text of code. 0, or 999 on an exception.
int32_t ErrMessage(int32_t code, std::string& text);

// --- The link as a point-of-sale program sees it ----------------------------------

int32_t CommunicationInit(int32_t port, int32_t baud, int32_t timeoutSec);
int32_t CommunicationEnd();
// The same as DoOpenPort for callers outside the driver: 999 for a port
// outside 0..255, a negative speed or a time-out outside 0..65535.
int32_t OpenPort(int32_t port, int32_t baud, int32_t writeSec, int32_t readSec);
int32_t ClosePort();
int32_t ReceiptConditions();
int32_t CheckReceiptConditions();
int32_t CheckPeriodReportConditions();
int32_t ReadFiscalMode(int32_t& fiscal);
int32_t CheckVATDefined(bool& defined);

// --- Printouts --------------------------------------------------------------------

inline constexpr int32_t kPrintoutMode = 0;  // wait for a printout just started
inline constexpr int32_t kCheckMode = 1;     // make sure nothing is pending

// Waits for the end of a printout, letting the host's events run.
int32_t PrintControl(int32_t mode);
// Restarts a printout that stopped for lack of paper.
int32_t PrintResume();

// --- Reports and counters -----------------------------------------------------------

// 0 detailed by dates, 1 detailed by numbers, 2 detailed monthly,
// 3 short by dates, 4 short by numbers, 5 short monthly.
using TPeriodReportKind = uint8_t;
// Dates and months as digit values, report numbers as little-endian words.
using ReportParams = std::array<uint8_t, 12>;
// Read time-out (seconds) while the printer prepares a long report.
inline constexpr uint16_t kLongReportReadTimeout = 90;

int32_t DailyReport(int32_t flag);
int32_t LockedArticlesReport();
int32_t FixedDescriptionsReport();
int32_t PrinterStatusReport();
// kind 1 detailed, 0 short.
int32_t PeriodReport(int32_t kind, int32_t y1, int32_t m1, int32_t d1, int32_t y2, int32_t m2,
                     int32_t d2);
int32_t MonthlyReport(int32_t kind, int32_t year, int32_t month);
int32_t NumberReport(int32_t kind, int32_t from, int32_t to);
int32_t PeriodicReportByKind(TPeriodReportKind kind, const ReportParams& params);
int32_t ReceiptNumber(int32_t& n);
int32_t DailyReportNumber(int32_t& n);
int32_t PrinterNumber(int32_t& number, std::string& code);

// --- Clock ------------------------------------------------------------------------

// date "20YY.MM.DD"; time "HH:MM", with ":SS" on the models with the long
// clock answer. 23 when an answer byte is not a digit value.
int32_t ReadClock(std::string& date, std::string& time);
// Fields 0..99; 215 for any other value, with nothing sent.
int32_t InitClock(uint8_t yy, uint8_t mm, uint8_t dd, uint8_t hh, int32_t mi);
// direction 0 back, 1 forward; minutes 1..60. 215 otherwise, with nothing sent.
int32_t ShiftClock(uint8_t direction, int32_t minutes);

// --- VAT rates --------------------------------------------------------------------

inline constexpr int32_t kVatExempt = 10000;
inline constexpr int32_t kVatUndefined = 25500;
// Rates A..G as hundredths of a percent.
using VatRates = std::array<int32_t, 7>;

// count := 7, 6 or 4; r1..r(count) receive the rates, the others are untouched.
int32_t ReadVAT(int32_t& count, int32_t& r1, int32_t& r2, int32_t& r3, int32_t& r4, int32_t& r5,
                int32_t& r6, int32_t& r7);
// Writes the rates the connected printer takes (count := 4, 6 or 7) and
// verifies them by reading them back. A rate the printer's wire form cannot
// carry exactly gives 217 with nothing written.
int32_t SetVAT(int32_t& count, int32_t r1, int32_t r2, int32_t r3, int32_t r4, int32_t r5,
               int32_t r6, int32_t r7);
// Number of rates a device kind holds: 4, 6 or 7.
int32_t VatRateCount(uint8_t kind);
// The rate travels to a printer of this kind and reads back unchanged.
bool VatRateFits(uint8_t kind, int32_t rate);

// --- Service and settings -----------------------------------------------------------

// Length of the printer's unique number.
inline constexpr std::size_t kUniqueNumberLength = 11;

int32_t OpenDrawer(int32_t drawer);
int32_t SetPrinterNumber(const std::string& number, const std::string& code);
int32_t WriteFeedCount(uint32_t n);
int32_t WriteLineFeed(int32_t n);
int32_t SetRoundingType(uint32_t mode);
int32_t DisplayTest(uint32_t step);
int32_t ClearPriceBuffer();
int32_t EpromTest();
int32_t RemotePrinterOff();
int32_t ReadUniqueNumber(std::string& number);
int32_t ReadUserData(std::string& line1, std::string& line2, std::string& line3,
                     std::string& line4);
int32_t WriteUserData(uint32_t lineNo, uint32_t width, const std::string& text);
int32_t PrintUserDataControl(const std::string& line1, const std::string& line2,
                             const std::string& line3, const std::string& line4);

// --- Receipts ---------------------------------------------------------------------

// Longest total text: 7 rates of 5 bytes each add up to at most 13 digits.
inline constexpr std::size_t kMaxTotalTextLength = 13;
// Characters of an article name on the printer.
inline constexpr std::size_t kArticleNameLength = 28;

// slot 1..4; the name is cut or blank-padded to 13 bytes. 215 for a slot out
// of range or a negative amount, with nothing stored.
int32_t FillPayment(int32_t slot, const std::string& name, int32_t amount, int32_t amount2);
// Stores the text (up to its first zero byte, at most 254 bytes) in the lowest
// empty line; *freeSlots gets the number of empty lines left. 215 for a code
// above 15 (freeSlots untouched), 216 when all lines are used (*freeSlots 0),
// 999 for a null freeSlots.
int32_t FillLines(int32_t code, const std::string& text, int32_t* freeSlots);
int32_t ErasePayments();
int32_t EraseLines();

int32_t ReceiptBegin();
int32_t ReceiptItem(int32_t kind, const std::string& name, int32_t vat, int32_t message,
                    int32_t qty, int32_t qtyDecimals, const std::string& unit, int32_t price,
                    int32_t& value);
int32_t ReceiptItemExt(int32_t kind, const std::string& name, int32_t vat, int32_t message,
                       int32_t qty, int32_t qtyDecimals, const std::string& unit, int32_t price,
                       int32_t& value);
int32_t PackageItem(int32_t type, int32_t number1, int32_t number2, int32_t amount);
int32_t PrintSubtotal();
int32_t ReceiptEnd(int32_t discount);
int32_t ReceiptCancel();
int32_t ReadTotal(std::string& total);
int32_t ReadSelTotal(const std::string& rate, std::string& total);
int32_t CharsInArticleName(const std::string& name);

// --- Sample cash printouts ----------------------------------------------------------

int32_t SamplePrintCashState(const std::string& t1, const std::string& t2, const std::string& t3,
                             const std::string& t4, const std::string& t5, const std::string& t6);
int32_t SamplePrintCashIn(const std::string& t1, const std::string& t2, const std::string& t3,
                          const std::string& t4, const std::string& t5);
int32_t SamplePrintCashOut(const std::string& t1, const std::string& t2, const std::string& t3,
                           const std::string& t4, const std::string& t5);
int32_t SamplePrintCashReport();

// --- The driver itself --------------------------------------------------------------

inline constexpr char kDllVersion[] = "10.00";
inline constexpr char kDllAuthor[] =
    "kavoruw 10.00 - sterownik drukarek fiskalnych dla systemu Linux, projekt kavoruw";
int32_t DllVersion(std::string& version);
int32_t DllAuthor(std::string& notice);

}  // namespace kavoruw
