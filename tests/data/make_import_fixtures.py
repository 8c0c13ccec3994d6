#!/usr/bin/env python3
"""Writes the import_*.xls fixtures of the data tests: header cases, long texts, escapes."""
import os
import sys

import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))


def book(name, rows, errors=(), styles=None):
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("Data")
    for r, row in enumerate(rows):
        for c, value in enumerate(row):
            if value is None:
                continue
            style = (styles or {}).get(c)
            if style is not None and r > 0:
                ws.write(r, c, value, style)
            else:
                ws.write(r, c, value)
    for r, c, code in errors:
        ws.row(r).set_cell_error(c, code)
    wb.save(os.path.join(HERE, name))


def main():
    book("import_duplicate.xls", [["Name", "Price", "NAME"], ["a", 1, "b"]])
    book("import_empty_header.xls", [["Name", None, "Code"], ["a", 1, "b"]])
    book("import_error_header.xls", [["Name", None], ["a", 1]], errors=[(0, 1, 0x2A)])

    clef = "\U0001D11E"
    book(
        "import_long_text.xls",
        [
            ["Long", "Chinese"],
            ["a" * 199 + clef + "tail", "标" * 150],
            ["b" * 250, "签" * 201],
        ],
    )

    price = xlwt.easyxf(num_format_str='"¥"#,##0.00')
    day = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    book(
        "import_escapes.xls",
        [
            ["Name", "Note", "Price", "EAN", "Day"],
            ["康师傅", "tab\there", 3.5, 6901234567892, 45000],
            [None, None, None, None, None],
            ["line", "one\ntwo\r\nthree", 12.0, None, None],
            ["back\\slash", None, 3.99999, 4006381333931, 45001],
            [None, None, None, None, None],
        ],
        errors=[(5, 1, 0x2A), (5, 2, "#DIV/0!")],
        styles={2: price, 4: day},
    )
    book(
        "import_twenty.xls",
        [["SPMC00", "TXM000"]] + [["商品%02d" % i, 6900000000000 + i] for i in range(1, 21)],
    )


if __name__ == "__main__":
    sys.exit(main())
