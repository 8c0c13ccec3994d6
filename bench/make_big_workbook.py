#!/usr/bin/python3
"""Writes a large label workbook for the benchmarks (needs python3-xlwt).

Usage: make_big_workbook.py OUT.xls [ROWS]   (ROWS data rows below the header, default 65535)
A sheet holds at most 65,536 rows, so ROWS is capped at 65,535.
"""
import datetime
import random
import sys

import xlwt

NAMES = ["苹果汁", "绿茶", "乌龙茶", "矿泉水", "酸奶", "牛奶", "饼干", "巧克力", "咖啡豆", "大米",
         "面粉", "食用油", "酱油", "白糖", "食盐", "方便面", "薯片", "果冻", "蜂蜜", "红枣"]
SIZES = ["250ml", "500ml", "1L", "1.5L", "100g", "250g", "500g", "1kg", "5kg", "12袋装"]


def ean13(body):
    digits = [int(c) for c in body]
    total = sum(d * (3 if i % 2 else 1) for i, d in enumerate(digits))
    return int(body + str((10 - total % 10) % 10))


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    out = sys.argv[1]
    rows = min(int(sys.argv[2]) if len(sys.argv) == 3 else 65535, 65535)
    rng = random.Random(20240315)

    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("商品")
    price = xlwt.easyxf(num_format_str='"¥"#,##0.00')
    date = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    for col, header in enumerate(["品名", "条码", "价格", "生产日期", "数量", "产地"]):
        sheet.write(0, col, header)
    start = datetime.date(2023, 1, 1)
    for r in range(1, rows + 1):
        name = "%s %s %05d" % (rng.choice(NAMES), rng.choice(SIZES), r)
        sheet.write(r, 0, name)
        sheet.write(r, 1, ean13("690%09d" % rng.randrange(10 ** 9)))
        sheet.write(r, 2, rng.randrange(50, 99999) / 100.0, price)
        sheet.write(r, 3, start + datetime.timedelta(days=rng.randrange(700)), date)
        sheet.write(r, 4, rng.randrange(1, 500))
        sheet.write(r, 5, rng.choice(["浙江杭州", "广东深圳", "四川成都", "山东青岛", "Imported"]))
        if r % 4096 == 0:
            sheet.flush_row_data()
    book.save(out)


if __name__ == "__main__":
    main()
