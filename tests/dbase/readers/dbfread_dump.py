#!/usr/bin/python3
"""Prints every row of a table as python3-dbfread reads it.

One line per row: "L" (live) or "D" (deleted), then each value as the hex of
its Windows-1250 bytes ("-" for null). Numbers are written with the field's
decimals, dates as YYYYMMDD, logicals as T/F. More tables may follow the
encoding: each is then preceded by a line "=", and one that cannot be read
gives a line "!" and the error."""
import sys
from dbfread import DBF


def text(field, value):
    if value is None:
        return "-"
    if isinstance(value, bool):
        s = "T" if value else "F"
    elif field.type in "NF":
        s = ("%.*f" % (field.decimal_count, value)) if field.decimal_count else str(int(value))
    elif field.type == "D":
        s = value.strftime("%Y%m%d")
    elif isinstance(value, bytes):
        return value.hex() if value else "-"
    else:
        s = value
    b = s.encode("cp1250")
    return b.hex() if b else "-"


def dump(path, encoding):
    table = DBF(path, encoding=encoding, char_decode_errors="strict", load=True)
    for kind, rows in (("L", table.records), ("D", table.deleted)):
        for row in rows:
            print(" ".join([kind] + [text(f, row[f.name]) for f in table.fields]))


def main():
    path, encoding = sys.argv[1], sys.argv[2]
    if encoding == "auto":  # from the table's code-page byte
        encoding = None
    if len(sys.argv) == 3:
        dump(path, encoding)
        return
    for p in [path] + sys.argv[3:]:
        print("=")
        try:
            dump(p, encoding)
        except Exception as e:  # reported, and the next table is read
            print("! " + repr(e).replace("\n", " "))


main()
