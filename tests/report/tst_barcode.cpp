// Barcode encoding and painting: names, good and bad data, dot-grid rounding, rotation, text, decoding.
#include "report/Barcode.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <set>

using lbl::report::BarcodeStyle;
using lbl::report::BarcodeSymbol;
using lbl::report::Symbology;

Q_DECLARE_METATYPE(lbl::report::Symbology)

namespace {

// The built-in sample's barcode: Code 128 of a 13-digit article number in a fixed 34.9 x 17 mm box.
constexpr double kSampleZoom = 1.669790126582278;
const QSizeF kSampleBoxMm(34.9, 17);

struct Canvas
{
    QImage image;
    QRectF box;
    QString error;
};

BarcodeStyle styleFor(Symbology symbology, double zoom = kSampleZoom, int rotationDeg = 0,
                      bool showText = true)
{
    BarcodeStyle style;
    style.symbology = symbology;
    style.zoom = zoom;
    style.rotationDeg = rotationDeg;
    style.showText = showText;
    return style;
}

// Paints into a white image with a 5 mm margin round the box, which a scanner needs as quiet zone.
// offsetPx moves the box off the pixel grid.
Canvas paintInto(const BarcodeStyle& style, const QString& data, qreal dpi, const QSizeF& boxMm,
                 qreal dotDpi = 0, const QPointF& offsetPx = QPointF())
{
    const qreal pxPerMm = dpi / 25.4;
    const int margin = qRound(5 * pxPerMm);
    Canvas canvas;
    canvas.box = QRectF(margin + offsetPx.x(), margin + offsetPx.y(), std::round(boxMm.width() * pxPerMm),
                        std::round(boxMm.height() * pxPerMm));
    canvas.image = QImage(static_cast<int>(std::ceil(canvas.box.right())) + margin,
                          static_cast<int>(std::ceil(canvas.box.bottom())) + margin, QImage::Format_RGB32);
    canvas.image.fill(Qt::white);
    const int dotsPerMeter = qRound(dpi / 0.0254);
    canvas.image.setDotsPerMeterX(dotsPerMeter);
    canvas.image.setDotsPerMeterY(dotsPerMeter);
    QPainter painter(&canvas.image);
    canvas.error = lbl::report::paintBarcode(painter, canvas.box, style, data, dpi, dotDpi);
    return canvas;
}

bool isDark(QRgb pixel)
{
    return qGray(pixel) < 128;
}

bool isPure(QRgb pixel)
{
    const QRgb rgb = pixel & 0xffffff;
    return rgb == 0 || rgb == 0xffffff;
}

// Pixels along a line from start, one step at a time, while inside the image.
QVector<QRgb> lineOf(const QImage& image, QPoint at, QPoint step)
{
    QVector<QRgb> pixels;
    while (image.rect().contains(at)) {
        pixels.push_back(image.pixel(at));
        at += step;
    }
    return pixels;
}

// Alternating dark and light run lengths from the first to the last dark pixel.
QVector<int> runsOf(const QVector<QRgb>& pixels)
{
    QVector<int> runs;
    const auto first = std::find_if(pixels.begin(), pixels.end(), isDark);
    const auto last = std::find_if(pixels.rbegin(), pixels.rend(), isDark);
    if (first == pixels.end()) {
        return runs;
    }
    const auto end = last.base();
    bool dark = true;
    int length = 0;
    for (auto it = first; it != end; ++it) {
        if (isDark(*it) == dark) {
            ++length;
        } else {
            runs.push_back(length);
            dark = !dark;
            length = 1;
        }
    }
    runs.push_back(length);
    return runs;
}

// Positions where the colour changes, as offsets along the line.
QVector<int> edgesOf(const QVector<QRgb>& pixels)
{
    QVector<int> edges;
    for (qsizetype i = 1; i < pixels.size(); ++i) {
        if (isDark(pixels.at(i)) != isDark(pixels.at(i - 1))) {
            edges.push_back(static_cast<int>(i));
        }
    }
    return edges;
}

// Non-white pixels that lie wholly outside box.
int paintedOutside(const QImage& image, const QRectF& box)
{
    const QRect cover(
        QPoint(static_cast<int>(std::floor(box.left())), static_cast<int>(std::floor(box.top()))),
        QPoint(static_cast<int>(std::ceil(box.right())) - 1, static_cast<int>(std::ceil(box.bottom())) - 1));
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!cover.contains(x, y) && (image.pixel(x, y) & 0xffffff) != 0xffffff) {
                ++count;
            }
        }
    }
    return count;
}

int paintedInside(const QImage& image, const QRectF& box)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (box.contains(x + 0.5, y + 0.5) && isDark(image.pixel(x, y))) {
                ++count;
            }
        }
    }
    return count;
}

int expectedModuleDots(double zoom, qreal dpi)
{
    return std::max(1, qRound(zoom * lbl::report::kBaseModuleWidthMm * dpi / 25.4));
}

} // namespace

class TstBarcode : public QObject
{
    Q_OBJECT

private slots:
    void names_data();
    void names();
    void unknownName_data();
    void unknownName();
    void encode_data();
    void encode();
    void moduleWidth_data();
    void moduleWidth();
    void sampleFitsItsBox_data();
    void sampleFitsItsBox();
    void naturalSize_data();
    void naturalSize();
    void barsOnDotGrid_data();
    void barsOnDotGrid();
    void previewUsesPrinterDots_data();
    void previewUsesPrinterDots();
    void wideToNarrow_data();
    void wideToNarrow();
    void rotationAndText_data();
    void rotationAndText();
    void clippedToBox_data();
    void clippedToBox();
    void errorPaintsNothing();
    void decodes_data();
    void decodes();
};

void TstBarcode::names_data()
{
    QTest::addColumn<Symbology>("symbology");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("twoDimensional");

    QTest::newRow("code128") << Symbology::Code128 << "code128"
                             << "Code 128" << false;
    QTest::newRow("ean13") << Symbology::Ean13 << "ean13"
                           << "EAN-13" << false;
    QTest::newRow("ean8") << Symbology::Ean8 << "ean8"
                          << "EAN-8" << false;
    QTest::newRow("upca") << Symbology::UpcA << "upca"
                          << "UPC-A" << false;
    QTest::newRow("code39") << Symbology::Code39 << "code39"
                            << "Code 39" << false;
    QTest::newRow("itf14") << Symbology::Itf14 << "itf14"
                           << "ITF-14" << false;
    QTest::newRow("gs1_128") << Symbology::Gs1_128 << "gs1_128"
                             << "GS1-128" << false;
    QTest::newRow("qrcode") << Symbology::QrCode << "qrcode"
                            << "QR Code" << true;
    QTest::newRow("datamatrix") << Symbology::DataMatrix << "datamatrix"
                                << "Data Matrix" << true;
    QTest::newRow("pdf417") << Symbology::Pdf417 << "pdf417"
                            << "PDF417" << true;
    QTest::newRow("aztec") << Symbology::Aztec << "aztec"
                           << "Aztec" << true;
}

void TstBarcode::names()
{
    QFETCH(Symbology, symbology);
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(bool, twoDimensional);

    QCOMPARE(lbl::report::symbologyName(symbology), name);
    QCOMPARE(lbl::report::symbologyFromName(name), std::optional<Symbology>(symbology));
    QCOMPARE(lbl::report::symbologyFromName(name.toUpper()), std::optional<Symbology>(symbology));
    QCOMPARE(lbl::report::symbologyTitle(symbology), title);
    QCOMPARE(lbl::report::isTwoDimensional(symbology), twoDimensional);
    QVERIFY(lbl::report::allSymbologies().contains(symbology));
}

void TstBarcode::unknownName_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << "";
    QTest::newRow("title instead of name") << "Code 128";
    QTest::newRow("prefix of a name") << "ean";
    QTest::newRow("name with space") << " qrcode";
}

void TstBarcode::unknownName()
{
    QFETCH(QString, name);
    QCOMPARE(lbl::report::symbologyFromName(name), std::nullopt);
}

void TstBarcode::encode_data()
{
    QTest::addColumn<Symbology>("symbology");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("errorPart"); // empty: the data encodes
    QTest::addColumn<QString>("text");      // human-readable text, pieces joined; "-": not checked

    QTest::newRow("code128 digits") << Symbology::Code128 << "6901234567892"
                                    << ""
                                    << "6901234567892";
    QTest::newRow("code128 mixed") << Symbology::Code128 << "Ab-12 x"
                                   << ""
                                   << "Ab-12 x";
    QTest::newRow("code128 empty") << Symbology::Code128 << ""
                                   << "No input data"
                                   << "-";
    QTest::newRow("code128 of 100000 digits") << Symbology::Code128 << QString(100000, u'7') << "too long"
                                              << "-";
    QTest::newRow("code128 chinese") << Symbology::Code128 << "中"
                                     << "Invalid character"
                                     << "-";
    QTest::newRow("ean13 check digit computed") << Symbology::Ean13 << "690123456789"
                                                << ""
                                                << "6901234567892";
    QTest::newRow("ean13 right check digit") << Symbology::Ean13 << "6901234567892"
                                             << ""
                                             << "6901234567892";
    QTest::newRow("ean13 wrong check digit") << Symbology::Ean13 << "6901234567891"
                                             << "Invalid check digit '1', expecting '2'"
                                             << "-";
    QTest::newRow("ean13 letters") << Symbology::Ean13 << "abc"
                                   << "Invalid character"
                                   << "-";
    QTest::newRow("ean13 eight digits") << Symbology::Ean13 << "12345670"
                                        << "12 or 13 digits"
                                        << "-";
    QTest::newRow("ean13 too short") << Symbology::Ean13 << "12345"
                                     << "12 or 13 digits"
                                     << "-";
    QTest::newRow("ean8 check digit computed") << Symbology::Ean8 << "1234567"
                                               << ""
                                               << "12345670";
    QTest::newRow("ean8 right check digit") << Symbology::Ean8 << "12345670"
                                            << ""
                                            << "12345670";
    QTest::newRow("ean8 wrong check digit") << Symbology::Ean8 << "12345671"
                                            << "Invalid check digit"
                                            << "-";
    QTest::newRow("ean8 thirteen digits") << Symbology::Ean8 << "6901234567892"
                                          << "7 or 8 digits"
                                          << "-";
    QTest::newRow("upca check digit computed") << Symbology::UpcA << "03600029145"
                                               << ""
                                               << "036000291452";
    QTest::newRow("upca right check digit") << Symbology::UpcA << "036000291452"
                                            << ""
                                            << "036000291452";
    QTest::newRow("upca wrong check digit") << Symbology::UpcA << "036000291453"
                                            << "Invalid check digit"
                                            << "-";
    QTest::newRow("upca too long") << Symbology::UpcA << "0360002914521"
                                   << "11 or 12 digits"
                                   << "-";
    QTest::newRow("code39") << Symbology::Code39 << "ABC-12"
                            << ""
                            << "*ABC-12*";
    QTest::newRow("code39 bad character") << Symbology::Code39 << "AB@"
                                          << "Invalid character"
                                          << "-";
    QTest::newRow("itf14 check digit computed") << Symbology::Itf14 << "1234567890123"
                                                << ""
                                                << "12345678901231";
    QTest::newRow("itf14 right check digit") << Symbology::Itf14 << "12345678901231"
                                             << ""
                                             << "12345678901231";
    QTest::newRow("itf14 wrong check digit") << Symbology::Itf14 << "12345678901232"
                                             << "Invalid check digit '2', expecting '1'"
                                             << "-";
    QTest::newRow("itf14 letters") << Symbology::Itf14 << "12345A"
                                   << "Invalid character"
                                   << "-";
    QTest::newRow("gs1_128 round brackets") << Symbology::Gs1_128 << "(01)09501101530003(17)251231"
                                            << ""
                                            << "(01)09501101530003(17)251231";
    QTest::newRow("gs1_128 square brackets") << Symbology::Gs1_128 << "[01]09501101530003"
                                             << ""
                                             << "(01)09501101530003";
    QTest::newRow("gs1_128 without AI") << Symbology::Gs1_128 << "0109501101530003"
                                        << "does not start with an AI"
                                        << "-";
    QTest::newRow("gs1_128 wrong GTIN check digit") << Symbology::Gs1_128 << "(01)09501101530008"
                                                    << "Bad checksum"
                                                    << "-";
    QTest::newRow("qrcode chinese") << Symbology::QrCode << "中文测试 ABC"
                                    << ""
                                    << "";
    QTest::newRow("qrcode too long") << Symbology::QrCode << QString(8000, u'x') << "too long"
                                     << "-";
    QTest::newRow("datamatrix") << Symbology::DataMatrix << "hello 标签"
                                << ""
                                << "";
    QTest::newRow("datamatrix too long") << Symbology::DataMatrix << QString(4000, u'x') << "too long"
                                         << "-";
    QTest::newRow("pdf417") << Symbology::Pdf417 << "hello"
                            << ""
                            << "";
    QTest::newRow("pdf417 too long") << Symbology::Pdf417 << QString(3000, u'x') << "too long"
                                     << "-";
    QTest::newRow("aztec") << Symbology::Aztec << "hello"
                           << ""
                           << "";
    QTest::newRow("aztec too long") << Symbology::Aztec << QString(5000, u'x') << "too long"
                                    << "-";
}

void TstBarcode::encode()
{
    QFETCH(Symbology, symbology);
    QFETCH(QString, data);
    QFETCH(QString, errorPart);
    QFETCH(QString, text);

    const BarcodeSymbol symbol = lbl::report::encodeBarcode(styleFor(symbology), data);
    if (!errorPart.isEmpty()) {
        QVERIFY(!symbol.isValid());
        const QString prefix = QStringLiteral("Barcode \"%1\": invalid data \"%2\": ")
                                   .arg(lbl::report::symbologyTitle(symbology), data);
        QVERIFY2(symbol.error.startsWith(prefix), qPrintable(symbol.error.left(200)));
        QVERIFY2(symbol.error.contains(errorPart, Qt::CaseInsensitive), qPrintable(symbol.error.left(200)));
        return;
    }
    QVERIFY2(symbol.isValid(), qPrintable(symbol.error));
    QVERIFY(!symbol.rects.isEmpty());
    QVERIFY(symbol.sizeModules.width() > 0 && symbol.sizeModules.height() > 0);
    if (text != QLatin1String("-")) {
        QString joined;
        for (const auto& piece : symbol.texts) {
            joined += piece.text;
        }
        QCOMPARE(joined, text);
    }
}

void TstBarcode::moduleWidth_data()
{
    QTest::addColumn<double>("zoom");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<int>("dots");

    QTest::newRow("zoom 1 at 150 dpi is one dot") << 1.0 << 150.0 << 1;
    QTest::newRow("sample zoom at 203 dpi rounds down") << kSampleZoom << 203.0 << 2;
    QTest::newRow("sample zoom at 300 dpi rounds down") << kSampleZoom << 300.0 << 3;
    QTest::newRow("zoom 1.4 at 300 dpi rounds up") << 1.4 << 300.0 << 3;
    QTest::newRow("zoom 3 at 300 dpi") << 3.0 << 300.0 << 6;
    QTest::newRow("tiny zoom keeps one dot") << 0.1 << 203.0 << 1;
    QTest::newRow("zero zoom counts as 1") << 0.0 << 300.0 << 2;
    QTest::newRow("negative zoom counts as 1") << -2.0 << 300.0 << 2;
}

void TstBarcode::moduleWidth()
{
    QFETCH(double, zoom);
    QFETCH(double, dpi);
    QFETCH(int, dots);
    QCOMPARE(lbl::report::moduleWidthDots(styleFor(Symbology::Code128, zoom), dpi), dots);
}

void TstBarcode::sampleFitsItsBox_data()
{
    QTest::addColumn<double>("dpi");
    QTest::newRow("203 dpi") << 203.0;
    QTest::newRow("300 dpi") << 300.0;
}

void TstBarcode::sampleFitsItsBox()
{
    QFETCH(double, dpi);
    const BarcodeStyle style = styleFor(Symbology::Code128);
    const BarcodeSymbol symbol = lbl::report::encodeBarcode(style, QStringLiteral("6901234567892"));
    QVERIFY2(symbol.isValid(), qPrintable(symbol.error));
    QCOMPARE(symbol.sizeModules.width(), 123.0);

    const QSizeF natural = lbl::report::barcodeNaturalSizeMm(symbol, style, dpi);
    const int moduleDots = lbl::report::moduleWidthDots(style, dpi);
    QCOMPARE(natural.width(), 123 * moduleDots * 25.4 / dpi);
    QVERIFY2(natural.width() <= kSampleBoxMm.width(), qPrintable(QString::number(natural.width())));
}

void TstBarcode::naturalSize_data()
{
    QTest::addColumn<Symbology>("symbology");
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("rotationDeg");
    QTest::addColumn<bool>("showText");
    QTest::addColumn<double>("dpi");

    QTest::newRow("code128 text") << Symbology::Code128 << "6901234567892" << 0 << true << 203.0;
    QTest::newRow("code128 no text") << Symbology::Code128 << "6901234567892" << 0 << false << 203.0;
    QTest::newRow("code128 turned 90") << Symbology::Code128 << "6901234567892" << 90 << true << 300.0;
    QTest::newRow("ean13 turned 270") << Symbology::Ean13 << "690123456789" << 270 << true << 300.0;
    QTest::newRow("itf14 bearer box") << Symbology::Itf14 << "1234567890123" << 0 << true << 203.0;
    QTest::newRow("qrcode") << Symbology::QrCode << "hello" << 0 << true << 300.0;
    QTest::newRow("qrcode turned 90") << Symbology::QrCode << "hello" << 90 << true << 203.0;
    QTest::newRow("pdf417 turned 90") << Symbology::Pdf417 << "hello" << 90 << true << 300.0;
}

// What autoSize relies on: painted into its natural size, the symbol shows whole, and its bars span the
// size along the symbol.
void TstBarcode::naturalSize()
{
    QFETCH(Symbology, symbology);
    QFETCH(QString, data);
    QFETCH(int, rotationDeg);
    QFETCH(bool, showText);
    QFETCH(double, dpi);

    const BarcodeStyle style = styleFor(symbology, kSampleZoom, rotationDeg, showText);
    const BarcodeSymbol symbol = lbl::report::encodeBarcode(style, data);
    QVERIFY2(symbol.isValid(), qPrintable(symbol.error));
    const QSizeF natural = lbl::report::barcodeNaturalSizeMm(symbol, style, dpi);
    const bool turned = rotationDeg % 180 != 0;
    const int moduleDots = lbl::report::moduleWidthDots(style, dpi);
    const qreal alongMm = turned ? natural.height() : natural.width();
    const qreal acrossMm = turned ? natural.width() : natural.height();
    if (lbl::report::isTwoDimensional(symbology)) {
        QCOMPARE(alongMm, symbol.sizeModules.width() * moduleDots * 25.4 / dpi);
        QCOMPARE(acrossMm, symbol.sizeModules.height() * moduleDots * 25.4 / dpi);
    } else {
        const qreal barsMm = symbol.barHeightModules * moduleDots * 25.4 / dpi;
        QVERIFY(showText ? acrossMm > barsMm + 2 : acrossMm >= barsMm - 1e-9);
    }

    const Canvas canvas = paintInto(style, data, dpi, natural);
    QVERIFY(canvas.error.isEmpty());
    QCOMPARE(paintedOutside(canvas.image, canvas.box), 0);
    // The line along the symbol through its first module row (2D) or a third into the bars (1D).
    const int acrossPx = lbl::report::isTwoDimensional(symbology)
                             ? moduleDots / 2
                             : static_cast<int>(symbol.barHeightModules * moduleDots / 3);
    QPoint start;
    QPoint step;
    switch (rotationDeg) {
    case 90:
        start = QPoint(qRound(canvas.box.right()) - 1 - acrossPx, 0);
        step = QPoint(0, 1);
        break;
    case 270:
        start = QPoint(qRound(canvas.box.left()) + acrossPx, 0);
        step = QPoint(0, 1);
        break;
    default:
        start = QPoint(0, qRound(canvas.box.top()) + acrossPx);
        step = QPoint(1, 0);
        break;
    }
    const QVector<int> runs = runsOf(lineOf(canvas.image, start, step));
    QVERIFY(!runs.isEmpty());
    int span = 0;
    for (int r : runs) {
        span += r;
    }
    const int alongPx = qRound(alongMm * dpi / 25.4);
    // Bars, including a bearer box, span the natural size less the quiet zones the symbology keeps.
    QVERIFY2(span <= alongPx && span >= alongPx - 20 * moduleDots,
             qPrintable(QStringLiteral("span %1 px, natural %2 px").arg(span).arg(alongPx)));
}

void TstBarcode::barsOnDotGrid_data()
{
    QTest::addColumn<Symbology>("symbology");
    QTest::addColumn<QString>("data");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<int>("spanModules"); // first to last dark pixel of the scanned line; 0: not checked

    QTest::newRow("code128 203") << Symbology::Code128 << "6901234567892" << 203.0 << kSampleZoom << 123;
    QTest::newRow("code128 300") << Symbology::Code128 << "6901234567892" << 300.0 << kSampleZoom << 123;
    QTest::newRow("code128 300 zoom 3") << Symbology::Code128 << "ABC123" << 300.0 << 3.0 << 0;
    QTest::newRow("ean13 203") << Symbology::Ean13 << "690123456789" << 203.0 << kSampleZoom << 95;
    QTest::newRow("ean13 300") << Symbology::Ean13 << "690123456789" << 300.0 << kSampleZoom << 95;
    QTest::newRow("ean8 300") << Symbology::Ean8 << "1234567" << 300.0 << kSampleZoom << 67;
    QTest::newRow("upca 203") << Symbology::UpcA << "03600029145" << 203.0 << kSampleZoom << 95;
    QTest::newRow("code39 300") << Symbology::Code39 << "ABC-12" << 300.0 << kSampleZoom << 103;
    QTest::newRow("itf14 203") << Symbology::Itf14 << "1234567890123" << 203.0 << 1.0 << 0;
    QTest::newRow("gs1_128 203") << Symbology::Gs1_128 << "(01)09501101530003" << 203.0 << kSampleZoom << 134;
    QTest::newRow("qrcode 203") << Symbology::QrCode << "hello" << 203.0 << kSampleZoom << 21;
    QTest::newRow("qrcode 300") << Symbology::QrCode << "中文测试" << 300.0 << kSampleZoom << 21;
    QTest::newRow("datamatrix 300") << Symbology::DataMatrix << "hello" << 300.0 << kSampleZoom << 12;
    QTest::newRow("pdf417 300") << Symbology::Pdf417 << "hello" << 300.0 << kSampleZoom << 103;
    QTest::newRow("aztec 203") << Symbology::Aztec << "hello" << 203.0 << kSampleZoom << 0;
}

// On a printer every pixel is a dot: bars are pure black on white, every run is a whole number of
// modules and the narrowest is one module.
void TstBarcode::barsOnDotGrid()
{
    QFETCH(Symbology, symbology);
    QFETCH(QString, data);
    QFETCH(double, dpi);
    QFETCH(double, zoom);
    QFETCH(int, spanModules);

    const bool twoD = lbl::report::isTwoDimensional(symbology);
    const Canvas canvas =
        paintInto(styleFor(symbology, zoom), data, dpi, twoD ? QSizeF(40, 40) : QSizeF(60, 20));
    QVERIFY2(canvas.error.isEmpty(), qPrintable(canvas.error));
    QCOMPARE(paintedOutside(canvas.image, canvas.box), 0);

    const int moduleDots = expectedModuleDots(zoom, dpi);
    const int top = qRound(canvas.box.top());
    // 1D: one line a third into the bars; 2D: every pixel row and column through the symbol.
    QVector<QVector<QRgb>> lines;
    if (twoD) {
        for (int y = top; y < qRound(canvas.box.bottom()); ++y) {
            lines.push_back(lineOf(canvas.image, QPoint(0, y), QPoint(1, 0)));
        }
        for (int x = qRound(canvas.box.left()); x < qRound(canvas.box.right()); ++x) {
            lines.push_back(lineOf(canvas.image, QPoint(x, top), QPoint(0, 1)));
        }
    } else {
        lines.push_back(lineOf(canvas.image, QPoint(0, top + qRound(canvas.box.height() / 3)), QPoint(1, 0)));
    }

    int narrowest = std::numeric_limits<int>::max();
    int widestSpan = 0;
    for (const auto& line : lines) {
        QVERIFY(std::all_of(line.begin(), line.end(), isPure));
        const QVector<int> runs = runsOf(line);
        int span = 0;
        for (int r : runs) {
            QVERIFY2(r % moduleDots == 0,
                     qPrintable(QStringLiteral("run %1, module %2").arg(r).arg(moduleDots)));
            narrowest = std::min(narrowest, r);
            span += r;
        }
        widestSpan = std::max(widestSpan, span);
    }
    QCOMPARE(narrowest, moduleDots);
    if (spanModules > 0) {
        QCOMPARE(widestSpan, spanModules * moduleDots);
    }
}

void TstBarcode::previewUsesPrinterDots_data()
{
    QTest::addColumn<double>("deviceDpi");
    QTest::addColumn<double>("dotDpi");
    QTest::addColumn<int>("rotationDeg");
    QTest::addColumn<Symbology>("symbology");
    QTest::addColumn<QSizeF>("boxMm");

    QTest::newRow("203 dpi dots on 406 dpi") << 406.0 << 203.0 << 0 << Symbology::Code128 << QSizeF(45, 25);
    QTest::newRow("300 dpi dots on 600 dpi") << 600.0 << 300.0 << 0 << Symbology::Code128 << QSizeF(45, 25);
    QTest::newRow("203 dpi dots on 609 dpi turned 90")
        << 609.0 << 203.0 << 90 << Symbology::Code128 << QSizeF(25, 45);
    QTest::newRow("203 dpi dots on 406 dpi turned 180")
        << 406.0 << 203.0 << 180 << Symbology::Ean13 << QSizeF(45, 25);
    QTest::newRow("300 dpi dots on 600 dpi qrcode turned 270")
        << 600.0 << 300.0 << 270 << Symbology::QrCode << QSizeF(8, 8);
}

// A device finer than the printer shows the printer's rounding: runs are whole printer modules and
// edges fall on the printer's dot grid, even when the box does not.
void TstBarcode::previewUsesPrinterDots()
{
    QFETCH(double, deviceDpi);
    QFETCH(double, dotDpi);
    QFETCH(int, rotationDeg);
    QFETCH(Symbology, symbology);
    QFETCH(QSizeF, boxMm);

    const QString data =
        symbology == Symbology::QrCode ? QStringLiteral("hello") : QStringLiteral("690123456789");
    const BarcodeStyle style = styleFor(symbology, kSampleZoom, rotationDeg);
    const Canvas canvas =
        paintInto(style, data, deviceDpi, boxMm, dotDpi, QPointF(0.37 * deviceDpi / dotDpi, 0.61));
    QVERIFY2(canvas.error.isEmpty(), qPrintable(canvas.error));
    QCOMPARE(paintedOutside(canvas.image, canvas.box), 0);

    const int dot = qRound(deviceDpi / dotDpi);
    const int modulePx = expectedModuleDots(kSampleZoom, dotDpi) * dot;
    const bool turned = rotationDeg % 180 != 0;
    // 1D: a line a quarter into the box; QR Code: along its timing pattern, six modules from its top
    // (which a turn of 270 degrees puts at the box's left edge).
    QPoint start = turned ? QPoint(qRound(canvas.box.center().x()), 0)
                          : QPoint(0, qRound(canvas.box.top() + canvas.box.height() / 4));
    if (symbology == Symbology::QrCode) {
        start = QPoint(static_cast<int>(std::ceil(canvas.box.left())) + modulePx * 13 / 2, 0);
    }
    const QVector<QRgb> line = lineOf(canvas.image, start, turned ? QPoint(0, 1) : QPoint(1, 0));
    const QVector<int> runs = runsOf(line);
    QVERIFY(runs.size() > 6);
    for (int r : runs) {
        QVERIFY2(r % modulePx == 0,
                 qPrintable(QStringLiteral("run %1 px, module %2 px").arg(r).arg(modulePx)));
    }
    QCOMPARE(*std::min_element(runs.begin(), runs.end()), modulePx);
    for (int edge : edgesOf(line)) {
        QVERIFY2(edge % dot == 0, qPrintable(QStringLiteral("edge at %1 px, dot %2 px").arg(edge).arg(dot)));
    }
}

void TstBarcode::wideToNarrow_data()
{
    QTest::addColumn<Symbology>("symbology");
    QTest::addColumn<QString>("data");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<int>("trimRuns"); // bearer box and quiet zone at each end
    QTest::addColumn<int>("wideDots");

    // Sample zoom at 300 dpi: narrow elements are 3 dots.
    QTest::newRow("code39 ratio 2") << Symbology::Code39 << "ABC-12" << 2.0 << 0 << 6;
    QTest::newRow("code39 ratio 2.5") << Symbology::Code39 << "ABC-12" << 2.5 << 0 << 8;
    QTest::newRow("code39 ratio 3") << Symbology::Code39 << "ABC-12" << 3.0 << 0 << 9;
    QTest::newRow("code39 ratio above 3 is kept at 3") << Symbology::Code39 << "ABC-12" << 10.0 << 0 << 9;
    QTest::newRow("code39 ratio below 2 is kept at 2") << Symbology::Code39 << "ABC-12" << 1.0 << 0 << 6;
    QTest::newRow("itf14 ratio 2") << Symbology::Itf14 << "1234567890123" << 2.0 << 2 << 6;
    QTest::newRow("itf14 ratio 3") << Symbology::Itf14 << "1234567890123" << 3.0 << 2 << 9;
}

void TstBarcode::wideToNarrow()
{
    QFETCH(Symbology, symbology);
    QFETCH(QString, data);
    QFETCH(double, ratio);
    QFETCH(int, trimRuns);
    QFETCH(int, wideDots);

    BarcodeStyle style = styleFor(symbology);
    style.wideToNarrow = ratio;
    const Canvas canvas = paintInto(style, data, 300, QSizeF(80, 25));
    QVERIFY2(canvas.error.isEmpty(), qPrintable(canvas.error));
    QCOMPARE(paintedOutside(canvas.image, canvas.box), 0);

    const QVector<QRgb> line =
        lineOf(canvas.image, QPoint(0, qRound(canvas.box.top() + canvas.box.height() / 3)), QPoint(1, 0));
    const QVector<int> runs = runsOf(line);
    QVERIFY(runs.size() > 2 * trimRuns + 10);
    const std::set<int> widths(runs.begin() + trimRuns, runs.end() - trimRuns);
    QCOMPARE(widths, (std::set<int>{3, wideDots}));

    const BarcodeSymbol symbol = lbl::report::encodeBarcode(style, data);
    const QSizeF natural = lbl::report::barcodeNaturalSizeMm(symbol, style, 300);
    int span = 0;
    for (int r : runs) {
        span += r;
    }
    QVERIFY(span <= qRound(natural.width() * 300 / 25.4));
}

void TstBarcode::rotationAndText_data()
{
    QTest::addColumn<int>("rotationDeg");
    QTest::addColumn<bool>("showText");

    for (int rotation : {0, 90, 180, 270, -90}) {
        for (bool text : {true, false}) {
            const QString name =
                QStringLiteral("%1 degrees, %2").arg(rotation).arg(text ? "text" : "no text");
            QTest::newRow(qPrintable(name)) << rotation << text;
        }
    }
}

// Bars run across the line along the symbol and the text line lies at the symbol's foot: the bottom
// edge at 0 degrees, the left edge at 90, the top at 180, the right at 270.
void TstBarcode::rotationAndText()
{
    QFETCH(int, rotationDeg);
    QFETCH(bool, showText);

    const int rotation = ((rotationDeg % 360) + 360) % 360;
    const bool turned = rotation % 180 != 0;
    const QSizeF boxMm = turned ? QSizeF(17, 45) : QSizeF(45, 17);
    const Canvas canvas = paintInto(styleFor(Symbology::Code128, kSampleZoom, rotationDeg, showText),
                                    "6901234567892", 300, boxMm);
    QVERIFY2(canvas.error.isEmpty(), qPrintable(canvas.error));
    QCOMPARE(paintedOutside(canvas.image, canvas.box), 0);

    const QRect box = canvas.box.toRect();
    // Lines along the symbol (across the bars), given by the pixel offset from the symbol's head.
    const auto alongLine = [&](int fromHead) -> QVector<QRgb> {
        switch (rotation) {
        case 90:
            return lineOf(canvas.image, QPoint(box.right() - fromHead, 0), QPoint(0, 1));
        case 180:
            return lineOf(canvas.image, QPoint(0, box.bottom() - fromHead), QPoint(1, 0));
        case 270:
            return lineOf(canvas.image, QPoint(box.left() + fromHead, 0), QPoint(0, 1));
        default:
            return lineOf(canvas.image, QPoint(0, box.top() + fromHead), QPoint(1, 0));
        }
    };
    const int depth = turned ? box.width() : box.height();
    const QVector<QRgb> head = alongLine(0);
    const QVector<QRgb> middle = alongLine(depth / 3);
    const QVector<QRgb> foot = alongLine(depth - 1);

    QVERIFY(runsOf(middle).size() > 30);
    QCOMPARE(head, middle);
    // Across the bars the pattern holds; along one bar (perpendicular) the colour does not change from
    // the head to the middle.
    const int firstDark =
        static_cast<int>(std::find_if(middle.begin(), middle.end(), isDark) - middle.begin());
    QVector<QRgb> alongBar;
    for (int d = 0; d <= depth / 3; ++d) {
        alongBar.push_back(alongLine(d).at(firstDark));
    }
    QVERIFY(std::all_of(alongBar.begin(), alongBar.end(), isDark));

    if (showText) {
        QVERIFY(foot != middle);
        // The text line holds glyphs somewhere between the bars' foot and the box edge.
        bool glyphs = false;
        for (int d = depth * 2 / 3; d < depth && !glyphs; ++d) {
            const QVector<QRgb> line = alongLine(d);
            const QVector<int> runs = runsOf(line);
            glyphs = !runs.isEmpty() && line != middle;
        }
        QVERIFY(glyphs);
    } else {
        QCOMPARE(foot, middle);
    }
}

void TstBarcode::clippedToBox_data()
{
    QTest::addColumn<Symbology>("symbology");
    QTest::addColumn<QString>("data");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<int>("rotationDeg");
    QTest::addColumn<QSizeF>("boxMm");
    QTest::addColumn<QPointF>("offsetPx");

    QTest::newRow("code128 wider than its box")
        << Symbology::Code128 << "6901234567892" << 3.0 << 0 << QSizeF(20, 10) << QPointF();
    QTest::newRow("code128 box lower than the text")
        << Symbology::Code128 << "6901234567892" << 1.0 << 0 << QSizeF(40, 2) << QPointF();
    QTest::newRow("code128 turned in a short box")
        << Symbology::Code128 << "6901234567892" << 3.0 << 90 << QSizeF(10, 20) << QPointF(0.5, 0.25);
    QTest::newRow("ean13 turned 180 off the grid")
        << Symbology::Ean13 << "690123456789" << 2.0 << 180 << QSizeF(15, 8) << QPointF(0.3, 0.7);
    QTest::newRow("qrcode larger than its box")
        << Symbology::QrCode << "中文测试" << 4.0 << 270 << QSizeF(6, 9) << QPointF(0.5, 0.5);
    QTest::newRow("pdf417 larger than its box")
        << Symbology::Pdf417 << "hello" << 2.0 << 0 << QSizeF(12, 3) << QPointF();
}

void TstBarcode::clippedToBox()
{
    QFETCH(Symbology, symbology);
    QFETCH(QString, data);
    QFETCH(double, zoom);
    QFETCH(int, rotationDeg);
    QFETCH(QSizeF, boxMm);
    QFETCH(QPointF, offsetPx);

    const Canvas canvas = paintInto(styleFor(symbology, zoom, rotationDeg), data, 300, boxMm, 0, offsetPx);
    QVERIFY2(canvas.error.isEmpty(), qPrintable(canvas.error));
    QVERIFY(paintedInside(canvas.image, canvas.box) > 0);
    QCOMPARE(paintedOutside(canvas.image, canvas.box), 0);
}

void TstBarcode::errorPaintsNothing()
{
    const Canvas canvas = paintInto(styleFor(Symbology::Ean13), "69012345678X", 300, QSizeF(40, 20));
    QVERIFY(canvas.error.startsWith(QStringLiteral("Barcode \"EAN-13\": invalid data \"69012345678X\": ")));
    QImage white(canvas.image.size(), canvas.image.format());
    white.fill(Qt::white);
    QCOMPARE(canvas.image.convertToFormat(QImage::Format_RGB32), white.convertToFormat(QImage::Format_RGB32));
}

void TstBarcode::decodes_data()
{
    QTest::addColumn<Symbology>("symbology");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("decoded");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<int>("rotationDeg");
    QTest::addColumn<QSizeF>("boxMm");

    for (double dpi : {203.0, 300.0}) {
        const QString at = QStringLiteral(" at %1 dpi").arg(dpi);
        QTest::newRow(qPrintable("code128 sample" + at)) << Symbology::Code128 << "6901234567892"
                                                         << "6901234567892" << dpi << 0 << kSampleBoxMm;
        QTest::newRow(qPrintable("code128 text turned 90" + at))
            << Symbology::Code128 << "Lot A-17"
            << "Lot A-17" << dpi << 90 << QSizeF(17, 34.9);
        QTest::newRow(qPrintable("ean13 computed check digit" + at))
            << Symbology::Ean13 << "690123456789"
            << "6901234567892" << dpi << 0 << kSampleBoxMm;
        QTest::newRow(qPrintable("qrcode chinese" + at)) << Symbology::QrCode << "中文测试 ABC-123"
                                                         << "中文测试 ABC-123" << dpi << 0 << QSizeF(20, 20);
    }
}

// What a scanner reads back, through zbarimg.
void TstBarcode::decodes()
{
    QFETCH(Symbology, symbology);
    QFETCH(QString, data);
    QFETCH(QString, decoded);
    QFETCH(double, dpi);
    QFETCH(int, rotationDeg);
    QFETCH(QSizeF, boxMm);

    const QString zbarimg = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
    if (zbarimg.isEmpty()) {
        // QSKIP itself trips clang's pedantic check on empty variadic macro arguments before C++20.
        QTest::qSkip("zbarimg is not installed", __FILE__, __LINE__);
        return;
    }
    const Canvas canvas = paintInto(styleFor(symbology, kSampleZoom, rotationDeg), data, dpi, boxMm);
    QVERIFY2(canvas.error.isEmpty(), qPrintable(canvas.error));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString png = dir.filePath(QStringLiteral("symbol.png"));
    QVERIFY(canvas.image.save(png));

    QProcess process;
    process.start(zbarimg, {QStringLiteral("--raw"), QStringLiteral("-q"), png});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    QString output = QString::fromUtf8(process.readAllStandardOutput());
    while (output.endsWith(u'\n') || output.endsWith(u'\r')) {
        output.chop(1);
    }
    QCOMPARE(output, decoded);
}

QTEST_MAIN(TstBarcode)
#include "tst_barcode.moc"
