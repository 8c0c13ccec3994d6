#!/usr/bin/env python3
"""Writes a large label list for bench_import: make_import_workbook.py OUT.xls [ROWS]."""
import datetime
import sys

import xlwt


def main():
    if len(sys.argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    rows = int(sys.argv[2]) if len(sys.argv) > 2 else 30000
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("Labels")
    price = xlwt.easyxf(num_format_str='"¥"#,##0.00')
    day = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    fields = ["SPMC00", "GG0000", "DW0000", "DJ0000", "TXM000", "CD0000", "SCRQ00", "SL0000", "BZ0000", "PH0000"]
    for c, name in enumerate(fields):
        ws.write(0, c, name)
    origins = ["天津", "成都", "杭州", "深圳", "上海", "广州", "青岛", "昆明"]
    start = datetime.date(2024, 1, 1)
    for r in range(1, rows + 1):
        ws.write(r, 0, "商品名称%05d 康师傅红烧牛肉面" % r)
        ws.write(r, 1, "%dg" % (50 + r % 500))
        ws.write(r, 2, "袋")
        ws.write(r, 3, (r % 10000) / 100.0, price)
        ws.write(r, 4, 6900000000000 + r * 13)
        ws.write(r, 5, origins[r % len(origins)])
        ws.write(r, 6, start + datetime.timedelta(days=r % 365), day)
        ws.write(r, 7, r % 97)
        if r % 3:
            ws.write(r, 8, "备注 note %d" % r)
        ws.write(r, 9, "B%06d" % r)
        if r % 1000 == 0:
            ws.flush_row_data()
    wb.save(sys.argv[1])
    return 0


if __name__ == "__main__":
    sys.exit(main())
