/*
 * kavoruw.h - the fiscal printer driver's exported functions (libkavoruw.so).
 *
 * Every function returns a 32-bit result: 0 for success, otherwise an error
 * code whose Polish text (Windows-1250) ErrMessage/pErrMessage give. 999 means
 * that the driver met an internal fault or a null pointer where it expected an
 * integer variable. Amounts are whole grosze, VAT rates hundredths of a
 * percent (10000 exempt, 25500 undefined).
 *
 * Each function holds the driver's one lock for its whole duration: calls
 * from several threads wait their turn, each returns its own code, and the
 * printer only ever sees whole commands. A call blocks its thread until its
 * commands end (at most the port's time-outs per awaited byte).
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
