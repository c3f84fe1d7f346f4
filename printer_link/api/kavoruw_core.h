#pragma once
// The driver as C++ programs built on it see it: the operator console and the
// tools include this header (with driver_types.h and kavoruw_codes.h, which it
// includes) and nothing else of the driver; inside the driver only api/
// includes it. Every function here catches what is thrown inside it and
// returns 999 instead; none shows anything to the user.
//
// Texts are std::string of Windows-1250 bytes. Each call runs on the thread
// that makes it, against the driver's one link, holding the driver's one
// lock for its whole duration (the exported functions take the same lock):
// calls from other threads wait their turn. The host's hooks (progress text,
// event pump, wait hook) run on the calling thread inside that lock; the lock
// is recursive, so a hook may call the driver again without a deadlock, and
// the call it makes runs whole between the commands of the waiting one. The
// helpers that only compute from their arguments (DeviceKindName, ErrorText,
// VatRateCount, VatRateFits, CharsInArticleName) touch no state and take no
// lock.
#include <cstdint>
#include <string>

#include "driver_types.h"

namespace kavoruw {

// --- Driver state -----------------------------------------------------------------
// The driver's state (DriverState of its link), to read: only the driver's
// commands change it. The reference is read outside the lock: read it on the
// thread that makes the calls.
const TDriverState& LinkState();

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
// One command as the printer takes it: ESC, cmd, answerLen answer bytes
// (the first being ACK; a status command's single byte comes without it),
// then dataLen bytes of data. answer receives all 256 bytes of the answer
// block when answerLen > 0. 999 for a command or answer length outside
// 0..255, a data length outside 0..256 or a missing buffer, with nothing sent.
int32_t RSSequence(int32_t cmd, int32_t answerLen, int32_t dataLen, uint8_t* answer,
                   const uint8_t* data);

// --- Hooks of the hosting program ---------------------------------------------------
void SetConsoleHooks(ConsoleHooks hooks);

// --- Device kinds and status bytes ------------------------------------------------
// "MX720A 5-stawkowa" ... "INNE URZADZENIE"; "NIEZNANE" outside 0..7.
std::string DeviceKindName(uint32_t kind);
// Identifies the connected device: kind 0..7 and its version.
int32_t ReadDeviceType(uint8_t& kind, uint32_t& version);
// The same, keeping the kind in the link's DeviceKind for the commands that
// follow.
int32_t IdentifyDevice(uint32_t& version);
// count: how many of s1..s6 the printer gave (4, 5 or 6).
int32_t ReadStatusBytes(uint32_t& count, uint8_t& s1, uint8_t& s2, uint8_t& s3, uint8_t& s4,
                        uint8_t& s5, uint8_t& s6);
int32_t DeviceName(std::string& name);

// --- Error texts ------------------------------------------------------------------
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
// Waits for the end of a printout, letting the host's events run.
int32_t PrintControl(int32_t mode);
// Restarts a printout that stopped for lack of paper.
int32_t PrintResume();

// --- Reports and counters -----------------------------------------------------------
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
// For a host that must not be left with a receipt open (a test receipt):
// cancels the open receipt, 0 when none is open. When the cancel fails, its
// code is returned and the driver closes the receipt all the same, so that
// later commands are not refused with 200; the printer ends an unfinished
// receipt at its next link test.
int32_t DropReceipt();
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
int32_t DllVersion(std::string& version);
int32_t DllAuthor(std::string& notice);

}  // namespace kavoruw
