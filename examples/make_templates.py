#!/usr/bin/env python3
"""Writes the bundled label templates (label_*.lbt) next to this script."""
import os
from xml.sax.saxutils import quoteattr, escape

HEI = "WenQuanYi Micro Hei"


def field(name):
    return '[rptDBDataset1."%s"]' % name


def attrs(**kw):
    return " ".join("%s=%s" % (k.replace("_", "-"), quoteattr(str(v))) for k, v in kw.items())


def text(name, box, content, size=7, bold=False, h="left", v="center", wrap=False):
    l, t, w, hgt = box
    return ('<text %s>\n  <frame left="false" top="false" right="false" bottom="false" width="0.2" color="#000000"/>\n'
            '  <content>%s</content>\n</text>') % (
        attrs(name=name, left=l, top=t, width=w, height=hgt, font_family=HEI, font_size=size,
              bold=str(bold).lower(), italic="false", underline="false", color="#000000", h_align=h, v_align=v,
              word_wrap=str(wrap).lower()), escape(content))


def line(name, x1, y1, x2, y2, width=0.2):
    return '<line %s/>' % attrs(name=name, left=x1, top=y1, width=x2 - x1, height=y2 - y1, line_width=width,
                                color="#000000")


def rect(name, box, width=0.3):
    l, t, w, h = box
    return '<rect %s/>' % attrs(name=name, left=l, top=t, width=w, height=h, line_width=width, line_color="#000000",
                                fill_color="none")


def barcode(name, box, symbology, data, zoom, sample, show_text=True, font_px=10):
    l, t, w, h = box
    return '<barcode %s>\n  <data>%s</data>\n</barcode>' % (
        attrs(name=name, left=l, top=t, width=w, height=h, symbology=symbology, show_text=str(show_text).lower(),
              font_family="DejaVu Sans", font_pixel_size=font_px, bold="false", italic="false", rotation=0,
              wide_to_narrow=2, zoom=zoom, auto_size="false", sample_text=sample), escape(data))


def template(width, height, objects):
    body = "\n".join("      " + line_ for o in objects for line_ in o.split("\n"))
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<label-template version="1">\n'
            '  <data-set alias="rptDBDataset1"/>\n  <script></script>\n'
            '  <print copies="1" print-dialog="true" printer=""/>\n'
            '  <page %s>\n    <band %s>\n%s\n    </band>\n  </page>\n</label-template>\n') % (
        attrs(name="Page1", paper="custom", orientation="portrait", width=width, height=height, grows="false",
              margin_left=0, margin_top=0, margin_right=0, margin_bottom=0, columns=1, column_gap=0),
        attrs(type="master-data", name="MasterData1", data_set="rptDBDataset1", top=0, height=height), body)


label_30x40 = template(30, 40, [
    rect("Outline", (0.5, 0.5, 29, 39)),
    text("Name", (1.5, 1.2, 27, 8), field("SPMC00"), size=8, bold=True, h="center", wrap=True),
    line("Rule1", 0.5, 9.5, 29.5, 9.5),
    text("Size", (1.5, 10, 27, 3.8), "规格：" + field("GG0000"), size=6),
    text("Origin", (1.5, 13.8, 27, 3.8), "产地：" + field("CD0000"), size=6),
    text("PriceCaption", (1.5, 18.5, 8, 5), "价格", size=6),
    text("Price", (8, 17.6, 20.5, 6.5), "￥" + field("DJ0000"), size=12, bold=True, h="right"),
    barcode("Ean", (2, 25, 26, 13.5), "ean13", field("TXM000"), 1.2, "6901234567892", font_px=7),
])

label_55x30 = template(55, 30, [
    rect("Outline", (0.5, 0.5, 54, 29)),
    text("NameCaption", (1.5, 1.3, 8.5, 4.5), "品名", size=7),
    text("Name", (10, 1.3, 43.5, 4.5), field("SPMC00"), size=8, bold=True),
    line("Rule1", 0.5, 6.2, 54.5, 6.2),
    text("SizeCaption", (1.5, 6.4, 8.5, 4), "规格", size=7),
    text("Size", (10, 6.4, 17, 4), field("GG0000"), size=7),
    text("UnitCaption", (28, 6.4, 8, 4), "单位", size=7),
    text("Unit", (36, 6.4, 17.5, 4), field("DW0000"), size=7),
    line("Rule2", 0.5, 10.6, 54.5, 10.6),
    text("OriginCaption", (1.5, 10.8, 8.5, 4), "产地", size=7),
    text("Origin", (10, 10.8, 43.5, 4), field("CD0000"), size=7),
    line("Rule3", 0.5, 15, 54.5, 15),
    text("PriceCaption", (1.5, 17.5, 8.5, 5), "价格", size=7),
    text("Price", (9, 16, 21, 8), "￥" + field("DJ0000"), size=14, bold=True),
    barcode("Ean", (31, 15.5, 23, 13.5), "ean13", field("TXM000"), 1.1, "6901234567892", font_px=7),
])

label_70x38 = template(70, 38, [
    rect("Outline", (0.5, 0.5, 69, 37)),
    text("Title", (0.5, 1, 69, 5), "商品标签", size=9, bold=True, h="center"),
    line("Rule1", 0.5, 6.5, 69.5, 6.5),
    text("NameCaption", (2, 7.3, 10, 4.5), "品名", size=7),
    text("Name", (12, 7.3, 41, 4.5), field("SPMC00"), size=8, bold=True),
    text("SizeCaption", (2, 12, 10, 4.5), "规格", size=7),
    text("Size", (12, 12, 16, 4.5), field("GG0000"), size=7),
    text("UnitCaption", (28, 12, 8, 4.5), "单位", size=7),
    text("Unit", (36, 12, 17, 4.5), field("DW0000"), size=7),
    text("OriginCaption", (2, 16.7, 10, 4.5), "产地", size=7),
    text("Origin", (12, 16.7, 41, 4.5), field("CD0000"), size=7),
    text("DateCaption", (2, 21.4, 12, 4.5), "生产日期", size=7),
    text("Date", (14, 21.4, 24, 4.5), field("SCRQ00"), size=7),
    barcode("Qr", (55, 7.5, 13, 13), "qrcode", field("TXM000"), 3, "6901234567892", show_text=False),
    text("PriceCaption", (2, 28.5, 10, 5), "价格", size=7),
    text("Price", (11, 26.5, 26, 9), "￥" + field("DJ0000"), size=16, bold=True),
    barcode("Ean", (39, 22.5, 29.5, 14.5), "ean13", field("TXM000"), 1.3, "6901234567892", font_px=8),
])

here = os.path.dirname(os.path.abspath(__file__))
for name, xml in (("label_30x40.lbt", label_30x40), ("label_55x30.lbt", label_55x30),
                  ("label_70x38.lbt", label_70x38)):
    with open(os.path.join(here, name), "w", encoding="utf-8") as f:
        f.write(xml)
