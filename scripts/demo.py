#!/usr/bin/python3
"""A point-of-sale session against the simulated printer, through the
driver's exported functions, as a shop program would run it.

usage: demo.py LIBRARY PORT
The simulated printer must already be reachable as COM<PORT> (see
scripts/demo, which starts it)."""

import ctypes
import sys

lib = ctypes.CDLL(sys.argv[1])
port = int(sys.argv[2])
I32 = ctypes.c_int32


def text(raw):
    return raw.decode("cp1250")


def error_text(code):
    buffer = ctypes.create_string_buffer(622)
    lib.pErrMessage(code, buffer)
    return text(buffer.value)


def step(title, code):
    status = "ok" if code == 0 else f"error {code}: {error_text(code)}"
    print(f"  {title:<38} {status}")
    return code == 0


def raw_status(command):
    answer = (ctypes.c_uint8 * 256)()
    data = (ctypes.c_uint8 * 256)()
    code = lib.RSSequence(command, 2, 0, answer, data)
    return answer[0] if code == 0 else None


print("Fiscal printer session on COM%d" % port)
if not step("link (CommunicationInit)", lib.CommunicationInit(port, 9600, 5)):
    sys.exit(1)

name = ctypes.create_string_buffer(24)
if step("device name", lib.pDeviceName(name)):
    print(f"    printer: {text(name.value)}")
statuses = [raw_status(c) for c in b"[TUV"]
print("    status bytes: " + " ".join("--" if s is None else f"{s:02X}" for s in statuses))

count, rates = I32(), [I32() for _ in range(7)]
if step("VAT rates (ReadVAT)", lib.ReadVAT(ctypes.byref(count), *[ctypes.byref(r) for r in rates])):
    shown = []
    for letter, rate in zip("ABCDEFG", rates[: count.value]):
        value = rate.value
        shown.append(f"{letter}={'REZERWA' if value == 25500 else 'ZWOLNIONA' if value == 10000 else f'{value / 100:.2f}%'}")
    print("    " + " ".join(shown))

clock = ctypes.create_string_buffer(15)
if step("clock (pReadClock)", lib.pReadClock(clock)):
    print(f"    {text(clock.value)}")

print("Receipt")
free = I32()
step("payment: Gotówka 50,00", lib.pFillPayment(1, "Gotówka".encode("cp1250"), 5000, 0))
step("trailer line", lib.pFillLines(0, "Dziękujemy za zakupy".encode("cp1250"), ctypes.byref(free)))
if step("begin (ReceiptBegin)", lib.ReceiptBegin()):
    # (article, VAT rate 1..7 = A..G, quantity, its decimals, unit, price in grosze)
    items = [("Chleb żytni", 2, 1, 0, "szt", 450),
             ("Mleko 2% 1l", 2, 2, 0, "szt", 329),
             ("Jabłka", 1, 1250, 3, "kg", 599)]
    for article, vat, qty, decimals, unit, price in items:
        value = I32(0)
        step(f"item {article}", lib.pReceiptItem(1, article.encode("cp1250"), vat, 0, qty, decimals,
                                                 unit.encode("cp1250"), price, ctypes.byref(value)))
        print(f"    value {value.value / 100:.2f} zł")
    step("end (ReceiptEnd)", lib.ReceiptEnd(0))

total = ctypes.create_string_buffer(14)
if step("totals since the daily report", lib.pReadTotal(total)):
    print(f"    {int(total.value or b'0') / 100:.2f} zł")
receipts = I32()
if step("receipts since the daily report", lib.ReceiptNumber(ctypes.byref(receipts))):
    print(f"    {receipts.value}")
step("daily report (DailyReport)", lib.DailyReport(0))
step("end of link (CommunicationEnd)", lib.CommunicationEnd())
