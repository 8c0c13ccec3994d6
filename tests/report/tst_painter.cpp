// Painting prepared pages into images: texts inside their boxes, nothing outside the target.
#include "report/Painter.h"
#include "report/ReportFixtures.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

using namespace lbl;
using namespace lbl::report;

namespace {

// Bounding box of the pixels that are not white; empty when there are none.
QRect inkBounds(const QImage& image, const QRect& within)
{
    QRect bounds;
    for (int y = within.top(); y <= within.bottom(); ++y) {
        for (int x = within.left(); x <= within.right(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

PreparedPage onePage(const PreparedItem& item)
{
    PreparedPage page;
    page.sizeMm = QSizeF(50, 40);
    page.items.append(item);
    return page;
}

PreparedItem textItem(const QRectF& boxMm, const QString& text, HAlign h, VAlign v, bool wrap)
{
    TextObject t;
    t.text = text;
    t.font.family = QStringLiteral("DejaVu Sans");
    t.font.sizePt = 12;
    t.hAlign = h;
    t.vAlign = v;
    t.wordWrap = wrap;
    PreparedItem item;
    item.boxMm = boxMm;
    item.content = t;
    return item;
}

} // namespace

class TstPainter : public QObject
{
    Q_OBJECT

private slots:
    void textInsideItsBox_data();
    void textInsideItsBox();
    void nothingOutsideTarget_data();
    void nothingOutsideTarget();
    void barcodeBarsInItsBox();
};

void TstPainter::textInsideItsBox_data()
{
    QTest::addColumn<QRectF>("target"); ///< in a 700 x 600 image; the page is 50 x 40 mm
    QTest::addColumn<int>("hAlign");
    QTest::addColumn<int>("vAlign");
    QTest::addColumn<bool>("wrap");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("inkSide"); ///< where the ink must lie within the box

    QTest::newRow("top left") << QRectF(0, 0, 500, 400) << int(HAlign::Left) << int(VAlign::Top) << true
                              << "HH"
                              << "left top";
    QTest::newRow("right bottom, offset target")
        << QRectF(100, 150, 500, 400) << int(HAlign::Right) << int(VAlign::Bottom) << true << "HH"
        << "right bottom";
    QTest::newRow("centred, scaled target")
        << QRectF(50, 50, 250, 200) << int(HAlign::Center) << int(VAlign::Center) << true << "HH"
        << "centre";
    QTest::newRow("long text without wrap is cut")
        << QRectF(0, 0, 500, 400) << int(HAlign::Left) << int(VAlign::Top) << false
        << "HHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHH"
        << "top";
    QTest::newRow("long text wrapped is cut below")
        << QRectF(0, 0, 500, 400) << int(HAlign::Left) << int(VAlign::Top) << true
        << "HH HH HH HH HH HH HH HH HH HH HH HH HH HH HH HH HH HH HH HH"
        << "left top";
    QTest::newRow("chinese text") << QRectF(0, 0, 500, 400) << int(HAlign::Left) << int(VAlign::Top) << true
                                  << "品名价格"
                                  << "left top";
}

void TstPainter::textInsideItsBox()
{
    QFETCH(QRectF, target);
    QFETCH(int, hAlign);
    QFETCH(int, vAlign);
    QFETCH(bool, wrap);
    QFETCH(QString, text);
    QFETCH(QString, inkSide);

    const QRectF boxMm(10, 10, 20, 10);
    const PreparedPage page = onePage(textItem(boxMm, text, HAlign(hAlign), VAlign(vAlign), wrap));
    QImage image(700, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paintPage(painter, page, target, 25.4 * target.width() / 50);
    }
    const qreal s = target.width() / 50;
    const QRectF box(target.x() + boxMm.x() * s, target.y() + boxMm.y() * s, boxMm.width() * s,
                     boxMm.height() * s);
    const QRect ink = inkBounds(image, image.rect());
    QVERIFY2(!ink.isEmpty(), "nothing drawn");
    QVERIFY2(
        box.toAlignedRect().contains(ink),
        qPrintable(
            QStringLiteral("ink %1,%2 %3x%4").arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));
    const QPointF c = QRectF(ink).center();
    if (inkSide.contains(QLatin1String("left"))) {
        QVERIFY(c.x() < box.center().x());
    }
    if (inkSide.contains(QLatin1String("right"))) {
        QVERIFY(c.x() > box.center().x());
    }
    if (inkSide.contains(QLatin1String("top"))) {
        QVERIFY(c.y() < box.center().y());
    }
    if (inkSide.contains(QLatin1String("bottom"))) {
        QVERIFY(c.y() > box.center().y());
    }
    if (inkSide == QLatin1String("centre")) {
        QVERIFY(qAbs(c.x() - box.center().x()) < box.width() / 8);
        QVERIFY(qAbs(c.y() - box.center().y()) < box.height() / 4);
    }
}

void TstPainter::nothingOutsideTarget_data()
{
    QTest::addColumn<int>("kind"); ///< 0 filled rectangle, 1 line, 2 framed text
    QTest::newRow("rectangle larger than the page") << 0;
    QTest::newRow("line across and beyond the page") << 1;
    QTest::newRow("framed text beyond the page") << 2;
}

void TstPainter::nothingOutsideTarget()
{
    QFETCH(int, kind);
    PreparedItem item;
    item.boxMm = QRectF(-10, -10, 70, 60);
    if (kind == 0) {
        RectObject r;
        r.fillColor = QColor(Qt::black);
        item.content = r;
    } else if (kind == 1) {
        LineObject l;
        l.widthMm = 2;
        item.content = l;
    } else {
        TextObject t;
        t.text = QStringLiteral("HHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHH");
        t.font.sizePt = 40;
        t.frame = {true, true, true, true, 1, QColor(Qt::black)};
        t.vAlign = VAlign::Center;
        t.hAlign = HAlign::Center;
        item.content = t;
        item.boxMm = QRectF(-10, 5, 70, 30);
    }
    const QRectF target(100, 80, 250, 200);
    QImage image(450, 360, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paintPage(painter, onePage(item), target, 127);
    }
    const QRect ink = inkBounds(image, image.rect());
    QVERIFY2(!ink.isEmpty(), "nothing drawn");
    QVERIFY2(
        target.toAlignedRect().contains(ink),
        qPrintable(
            QStringLiteral("ink %1,%2 %3x%4").arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));
    if (kind == 0) {
        QCOMPARE(ink, target.toAlignedRect());
    }
}

void TstPainter::barcodeBarsInItsBox()
{
    auto set = test::makeSet(QStringLiteral("cdsTmp"), {"SPMC00", "DJ0000", "TXM000"},
                             {{"苹果", "12.50", "6901234567892"}});
    data::DataSource source(set.get());
    DataLink link(defaultDataSetAlias, &source);
    ErrorList errors;
    const PreparedReport prepared = prepare(sampleReport(), DataLinks{&link}, errors);
    QCOMPARE(errors.lines(), QStringList());
    QCOMPARE(prepared.pages.size(), 1);

    // 203 dpi: a label printer's dots, 50 x 40 mm.
    const qreal dpi = 203;
    QImage image(qRound(50 / 25.4 * dpi), qRound(40 / 25.4 * dpi), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paintPage(painter, prepared.pages.first(), QRectF(image.rect()), dpi);
    }
    const qreal s = dpi / 25.4;
    const QRect barcodeBox = QRectF(6 * s, 17 * s, 34.9 * s, 17 * s).toAlignedRect();
    const QRect ink = inkBounds(image, barcodeBox.intersected(image.rect()));
    QVERIFY2(ink.width() > barcodeBox.width() / 2, "no bars across the box");
    // A row through the bars changes colour many times.
    const int y = barcodeBox.top() + barcodeBox.height() / 3;
    int changes = 0;
    for (int x = barcodeBox.left() + 1; x <= barcodeBox.right(); ++x) {
        if (image.pixel(x, y) != image.pixel(x - 1, y)) {
            ++changes;
        }
    }
    QVERIFY2(changes > 40, qPrintable(QString::number(changes)));
    // The name and the price are drawn above the bars.
    QVERIFY(!inkBounds(image, QRectF(3 * s, 3 * s, 44 * s, 5 * s).toAlignedRect()).isEmpty());
    QVERIFY(!inkBounds(image, QRectF(8 * s, 9 * s, 25 * s, 5 * s).toAlignedRect()).isEmpty());
}

QTEST_MAIN(TstPainter)
#include "tst_painter.moc"
