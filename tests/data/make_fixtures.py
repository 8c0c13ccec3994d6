#!/usr/bin/python3
"""Writes the generated .xls fixtures of the sheet tests into this folder (needs python3-xlwt)."""
import os
import struct
import sys

import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))


def sparse_dimensions(path):
    """Four values in B2:C4, but a DIMENSIONS record that declares 65,536 rows by 256 columns."""
    book = xlwt.Workbook()
    sheet = book.add_sheet("Sparse")
    sheet.write(1, 1, "Code")
    sheet.write(1, 2, "Qty")
    sheet.write(3, 1, "X-1")
    sheet.write(3, 2, 7)
    book.save(path)
    data = bytearray(open(path, "rb").read())
    # DIMENSIONS: first row, last row + 1, first column, last column + 1, reserved.
    written = struct.pack("<HHIIHHH", 0x0200, 14, 1, 4, 1, 3, 0)
    at = data.find(written)
    if at < 0 or data.find(written, at + 1) >= 0:
        sys.exit("DIMENSIONS record not found exactly once")
    data[at:at + len(written)] = struct.pack("<HHIIHHH", 0x0200, 14, 0, 65536, 0, 256, 0)
    open(path, "wb").write(bytes(data))


def long_strings(path):
    """Shared strings longer than one record, so they continue in CONTINUE records."""
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Long")
    sheet.write(0, 0, "x" * 9000)
    sheet.write(1, 0, "价" * 5000)
    sheet.write(2, 0, "ab" + "é" * 8300 + "价")
    sheet.write(3, 0, "tail")
    book.save(path)


if __name__ == "__main__":
    sparse_dimensions(os.path.join(HERE, "sparse_dimensions.xls"))
    long_strings(os.path.join(HERE, "long_strings.xls"))
