#!/usr/bin/env python3
"""Writes LabList.xls: the sample label list of 30 products the program reads at start-up."""
import datetime
import os
import sys

import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))

FIELDS = ["SPMC00", "GG0000", "DW0000", "DJ0000", "TXM000", "CD0000", "SCRQ00", "BZQ000"]

# name, size, unit, price, origin, shelf life
PRODUCTS = [
    ("康师傅红烧牛肉面", "105g", "袋", 4.5, "天津", "6个月"),
    ("统一老坛酸菜牛肉面", "121g", "袋", 4.5, "成都", "6个月"),
    ("农夫山泉饮用天然水", "550ml", "瓶", 2.0, "杭州", "12个月"),
    ("怡宝纯净水", "555ml", "瓶", 2.0, "深圳", "12个月"),
    ("伊利纯牛奶", "250ml×16", "箱", 59.9, "呼和浩特", "6个月"),
    ("蒙牛特仑苏", "250ml×12", "箱", 65.0, "呼和浩特", "6个月"),
    ("可口可乐", "330ml", "罐", 3.5, "上海", "12个月"),
    ("雪碧", "500ml", "瓶", 3.0, "上海", "12个月"),
    ("王老吉凉茶", "310ml", "罐", 4.0, "广州", "24个月"),
    ("加多宝凉茶", "310ml", "罐", 4.0, "东莞", "24个月"),
    ("旺旺雪饼", "84g", "袋", 6.8, "湖南", "9个月"),
    ("奥利奥夹心饼干", "97g", "盒", 7.9, "苏州", "12个月"),
    ("乐事薯片原味", "70g", "袋", 7.5, "上海", "9个月"),
    ("德芙丝滑牛奶巧克力", "43g", "块", 9.9, "北京", "12个月"),
    ("金龙鱼食用调和油", "5L", "桶", 79.9, "深圳", "18个月"),
    ("海天金标生抽", "1.28L", "瓶", 15.8, "佛山", "24个月"),
    ("老干妈风味豆豉", "280g", "瓶", 10.5, "贵阳", "18个月"),
    ("五常大米", "5kg", "袋", 69.0, "五常", "12个月"),
    ("鲁花花生油", "5L", "桶", 159.9, "莱阳", "18个月"),
    ("太太乐鸡精", "200g", "袋", 9.8, "上海", "18个月"),
    ("三只松鼠每日坚果", "750g", "盒", 129.0, "芜湖", "8个月"),
    ("良品铺子猪肉脯", "100g", "袋", 19.9, "武汉", "9个月"),
    ("卫龙辣条", "106g", "袋", 5.0, "漯河", "6个月"),
    ("娃哈哈AD钙奶", "220g×4", "排", 9.5, "杭州", "9个月"),
    ("青岛啤酒经典", "500ml", "罐", 6.5, "青岛", "12个月"),
    ("维达抽纸", "3层×100抽", "包", 3.9, "江门", "36个月"),
    ("蓝月亮洗衣液", "3kg", "瓶", 49.9, "广州", "36个月"),
    ("舒肤佳香皂", "115g", "块", 6.5, "广州", "36个月"),
    ("中华牙膏", "140g", "支", 12.9, "上海", "36个月"),
    ("云南白药牙膏", "180g", "支", 35.8, "昆明", "36个月"),
]


def ean13(first12):
    """The 12 digits followed by their check digit."""
    digits = [int(c) for c in first12]
    total = sum(d * (3 if i % 2 else 1) for i, d in enumerate(digits))
    return int(first12 + str((10 - total % 10) % 10))


def main():
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("商品标签")
    header = xlwt.easyxf("font: bold on")
    price = xlwt.easyxf(num_format_str='"¥"#,##0.00')
    code = xlwt.easyxf(num_format_str="0")
    day = xlwt.easyxf(num_format_str="yyyy-mm-dd")

    for c, name in enumerate(FIELDS):
        ws.write(0, c, name, header)
    first_day = datetime.date(2024, 3, 1)
    for r, (name, size, unit, cost, origin, shelf) in enumerate(PRODUCTS, start=1):
        ws.write(r, 0, name)
        ws.write(r, 1, size)
        ws.write(r, 2, unit)
        ws.write(r, 3, cost, price)
        ws.write(r, 4, ean13("690%09d" % (1234500 + r * 7)), code)
        ws.write(r, 5, origin)
        ws.write(r, 6, first_day + datetime.timedelta(days=r * 3), day)
        ws.write(r, 7, shelf)
    ws.col(0).width = 256 * 24
    ws.col(4).width = 256 * 16
    wb.save(os.path.join(HERE, "LabList.xls"))


if __name__ == "__main__":
    sys.exit(main())
