/*
 * kavoruw.h - the fiscal printer driver's exported functions (libkavoruw.so).
 *
 * Every function returns a 32-bit result: 0 for success, otherwise one of
 * the error codes below, whose Polish text (Windows-1250) ErrMessage and
 * pErrMessage give. Amounts are whole grosze, VAT rates hundredths of a
 * percent (10000 exempt, 25500 undefined).
 *
 * Each function holds the driver's one lock for its whole duration: calls
 * from several threads wait their turn, each returns its own code, and the
 * printer only ever sees whole commands. A call blocks its thread until its
 * commands end. Each byte it awaits takes at most the port's read time-out,
 * except in the print-end wait: while the printer reports that it is
 * printing (or holds a document to print), the wait polls its status
 * without a limit. These calls may wait for a printout that way:
 * PrintControl, PrintResume, ReceiptConditions, ReceiptBegin, ReceiptEnd,
 * ReceiptCancel, DailyReport, PeriodReport, MonthlyReport, NumberReport,
 * LockedArticlesReport, PrinterStatusReport, SetVAT and CommunicationInit;
 * ReceiptItem, pReceiptItem, PackageItem and PrintSubtotal too when they
 * first ask the printer what an earlier lost answer left; and any call that
 * sets the link up again (see below). Every other thread's call waits
 * meanwhile, behind the lock.
 *
 * CommunicationInit, and the set-up that any call makes first while the link
 * is down (after a failed CommunicationInit or set-up), empty the payment and
 * trailer-line buffers filled with FillPayment and FillLines: fill them again
 * after a reconnect.
 *
 * Error codes:
 *     0  success
 *     2  no such port
 *     5  the port is in use (by this driver or another program) or refused
 *     6  the port is not a serial device
 *        (any other number from opening a port is the system's error)
 *    20  a byte could not be sent to the printer
 *    21  the printer did not answer within the read time-out
 *    23  the printer's answer has no meaning
 *    24  the printer refused the command (NAK); also a package item not
 *        acknowledged, and an item while the driver cannot tell whether the
 *        receipt the printer holds is the caller's
 *    26  the printer refused the command (0xC8)
 *   100  no maker data in the fiscal module
 *   101  service jumper in the service position
 *   102  no link with the printer's controller
 *   103  printer failure
 *   104  no user data in the fiscal module
 *   105  fiscal module in read-only mode
 *   106  no customer display
 *   107  clock (CMOS) memory erased
 *   108  daily report of the previous day not made
 *   109  no paper, or the print head raised
 *   113  no VAT rate defined in the printer
 *   114  no port stored for setting the link up (CommunicationEnd was called,
 *        or CommunicationInit never)
 *   200  a receipt is open: the command is refused
 *   201  no receipt is open, as the driver or the printer (answer 0x65)
 *        knows it; also a cancel of a receipt the printer has printed
 *   203  VAT index outside 1..7
 *   205  negative quantity
 *   208  negative price
 *   210  the receipt was annulled, by the printer or, when a record of it
 *        may have reached the printer cut, by the driver instead of ending it;
 *        also an end after a cancel whose answer was lost (the cancel is
 *        finished instead)
 *   211  zero receipt counter: no sale since the last daily report
 *   212  drawer number outside 1..3
 *   213  package items and subtotals are not on this device
 *   214  package item type outside 0..3
 *   215  an argument out of range (payment slot or amount, trailer-line code,
 *        report dates or numbers, clock fields)
 *   216  all six trailer lines are filled
 *   217  the VAT rates were not written (or cannot be written exactly)
 *   218  receipt counter not zero: make the daily report first
 *   219  wrong dates for the periodic report
 *   220  no reports in the period
 *   221  wrong numbers for the periodic report
 *   222  the month has not ended
 *   223  report argument refused by the printer; ReadSelTotal rate text
 *        other than "A".."G" and "+"
 *   224  the command is not on this device
 *   225  a null buffer for the text a p function writes, or a null name for
 *        pCharsInArticleName (any other null input text is read as empty)
 *   226  the VAT rate asked for is not defined
 *   227  item value negative or too large, or a total beyond 32 bits
 *   228  printer in training mode
 *   229  the user data were not written
 *   230  clock memory not erased
 *   999  an internal fault, a null pointer where an integer variable is
 *        expected, or an argument the call cannot take at all
 *
 * The C part below compiles as C99. Functions whose texts are C++ strings are
 * declared after it, for C++ callers built with the same standard library;
 * each but PrinterNumber has a twin with the prefix p that takes
 * zero-terminated buffers. An output buffer must hold at least the size
 * published for it below; a null output buffer gives 225, a null input text
 * is read as the empty text.
 */
#ifndef KAVORUW_H
#define KAVORUW_H

#include <stdint.h>

#if defined(__GNUC__)
#define KAVORUW_API __attribute__((visibility("default")))
#else
#define KAVORUW_API
#endif

/* Size of the answer and data blocks of RSSequence. */
#define KAVORUW_BLOCK_SIZE 256

/* Buffer sizes, terminating zero included, of the p functions' outputs. */
#define KAVORUW_ERRMESSAGE_SIZE 622  /* pErrMessage */
#define KAVORUW_DEVICENAME_SIZE 24   /* pDeviceName */
#define KAVORUW_CLOCK_SIZE 15        /* pReadClock: "YY.MM.DD;HH:MM" */
#define KAVORUW_UNIQUENUMBER_SIZE 12 /* pReadUniqueNumber */
#define KAVORUW_TOTAL_SIZE 14        /* pReadTotal, pReadSelTotal: up to 13 digits */
#define KAVORUW_VERSION_SIZE 6       /* pDllVersion */
#define KAVORUW_AUTHOR_SIZE 81       /* pDllAuthor */

#ifdef __cplusplus
extern "C" {
#endif

/* Link */
KAVORUW_API int32_t CommunicationInit(int32_t port, int32_t baud, int32_t timeoutSec);
KAVORUW_API int32_t CommunicationEnd(void);
KAVORUW_API int32_t OpenPort(int32_t port, int32_t baud, int32_t writeSec, int32_t readSec);
KAVORUW_API int32_t ClosePort(void);
/*
 * One raw printer command: ESC, cmd, the acknowledgement and answerLen - 1
 * answer bytes into answer, then dataLen bytes of data. answer must hold
 * KAVORUW_BLOCK_SIZE bytes (all of them are written when answerLen > 0).
 * 999 with nothing sent for cmd or answerLen outside 0..255, dataLen outside
 * 0..256 or a null block.
 */
KAVORUW_API int32_t RSSequence(int32_t cmd, int32_t answerLen, int32_t dataLen, uint8_t* answer,
                               const uint8_t* data);

/* Receipt */
KAVORUW_API int32_t ReceiptConditions(void);
KAVORUW_API int32_t ReceiptBegin(void);
KAVORUW_API int32_t pReceiptItem(int32_t kind, const char* name, int32_t vat, int32_t message,
                                 int32_t qty, int32_t qtyDecimals, const char* unit, int32_t price,
                                 int32_t* value);
KAVORUW_API int32_t PackageItem(int32_t type, int32_t number1, int32_t number2, int32_t amount);
KAVORUW_API int32_t PrintSubtotal(void);
KAVORUW_API int32_t pFillPayment(int32_t slot, const char* name, int32_t amount, int32_t amount2);
KAVORUW_API int32_t pFillLines(int32_t code, const char* text, int32_t* freeLines);
KAVORUW_API int32_t ErasePayments(void);
KAVORUW_API int32_t EraseLines(void);
KAVORUW_API int32_t ReceiptEnd(int32_t discount);
KAVORUW_API int32_t ReceiptCancel(void);
KAVORUW_API int32_t OpenDrawer(int32_t drawer);
/* Returns the count of significant characters (0..28), or 225 for null. */
KAVORUW_API int32_t pCharsInArticleName(const char* name);

/* Reports */
KAVORUW_API int32_t DailyReport(int32_t flag);
KAVORUW_API int32_t PeriodReport(int32_t kind, int32_t y1, int32_t m1, int32_t d1, int32_t y2,
                                 int32_t m2, int32_t d2);
KAVORUW_API int32_t LockedArticlesReport(void);
KAVORUW_API int32_t MonthlyReport(int32_t kind, int32_t year, int32_t month);
KAVORUW_API int32_t NumberReport(int32_t kind, int32_t from, int32_t to);
KAVORUW_API int32_t PrinterStatusReport(void);

/* Queries and settings */
KAVORUW_API int32_t ReceiptNumber(int32_t* n);
KAVORUW_API int32_t DailyReportNumber(int32_t* n);
KAVORUW_API int32_t SetVAT(int32_t* count, int32_t r1, int32_t r2, int32_t r3, int32_t r4,
                           int32_t r5, int32_t r6, int32_t r7);
KAVORUW_API int32_t ReadVAT(int32_t* count, int32_t* r1, int32_t* r2, int32_t* r3, int32_t* r4,
                            int32_t* r5, int32_t* r6, int32_t* r7);
KAVORUW_API int32_t pReadTotal(char* buffer);
KAVORUW_API int32_t pReadSelTotal(const char* rate, char* buffer);
KAVORUW_API int32_t pReadClock(char* buffer);
KAVORUW_API int32_t pReadUniqueNumber(char* buffer);
KAVORUW_API int32_t pDeviceName(char* buffer);
KAVORUW_API int32_t PrintControl(int32_t mode);
KAVORUW_API int32_t PrintResume(void);
KAVORUW_API int32_t WriteLineFeed(int32_t n);

/* Texts and identity */
KAVORUW_API int32_t pErrMessage(int32_t code, char* buffer);
KAVORUW_API int32_t pDllVersion(char* buffer);
KAVORUW_API int32_t pDllAuthor(char* buffer);

#ifdef __cplusplus
} /* extern "C" */

#include <string>

/* The plain twins, for C++ callers: texts as Windows-1250 std::string. */
extern "C" {
KAVORUW_API int32_t ReceiptItem(int32_t kind, const std::string& name, int32_t vat, int32_t message,
                                int32_t qty, int32_t qtyDecimals, const std::string& unit,
                                int32_t price, int32_t* value);
KAVORUW_API int32_t FillPayment(int32_t slot, const std::string& name, int32_t amount,
                                int32_t amount2);
KAVORUW_API int32_t FillLines(int32_t code, const std::string& text, int32_t* freeLines);
KAVORUW_API int32_t CharsInArticleName(const std::string& name);
KAVORUW_API int32_t ReadClock(std::string& date, std::string& time);
KAVORUW_API int32_t ReadUniqueNumber(std::string& number);
KAVORUW_API int32_t DeviceName(std::string& name);
KAVORUW_API int32_t ReadTotal(std::string& total);
KAVORUW_API int32_t ReadSelTotal(const std::string& rate, std::string& total);
KAVORUW_API int32_t PrinterNumber(int32_t* number, std::string& code);
KAVORUW_API int32_t ErrMessage(int32_t code, std::string& text);
KAVORUW_API int32_t DllVersion(std::string& version);
KAVORUW_API int32_t DllAuthor(std::string& notice);
}
#endif /* __cplusplus */

#endif /* KAVORUW_H */
