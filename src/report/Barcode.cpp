// Barcode symbols: encoding through libzint and painting them as vectors aligned to printer dots.
#include "report/Barcode.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <memory>
#include <zint.h>

namespace lbl::report {

namespace {

struct SymbologyInfo
{
    Symbology symbology;
    const char* name;
    const char* title;
};

constexpr SymbologyInfo kSymbologies[] = {
    {Symbology::Code128, "code128", "Code 128"},
    {Symbology::Ean13, "ean13", "EAN-13"},
    {Symbology::Ean8, "ean8", "EAN-8"},
    {Symbology::UpcA, "upca", "UPC-A"},
    {Symbology::Code39, "code39", "Code 39"},
    {Symbology::Itf14, "itf14", "ITF-14"},
    {Symbology::Gs1_128, "gs1_128", "GS1-128"},
    {Symbology::QrCode, "qrcode", "QR Code"},
    {Symbology::DataMatrix, "datamatrix", "Data Matrix"},
    {Symbology::Pdf417, "pdf417", "PDF417"},
    {Symbology::Aztec, "aztec", "Aztec"},
};

const SymbologyInfo& info(Symbology symbology)
{
    for (const auto& i : kSymbologies) {
        if (i.symbology == symbology) {
            return i;
        }
    }
    Q_ASSERT(false);
    return kSymbologies[0];
}

struct ZintDeleter
{
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};
using ZintPtr = std::unique_ptr<zint_symbol, ZintDeleter>;

bool allDigits(const QString& text)
{
    return !text.isEmpty()
           && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// GS1 mod-10 check digit over all given digits (weights 3, 1, 3, ... from the right).
int gs1CheckDigit(const QString& digits)
{
    int sum = 0;
    int weight = 3;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        sum += (digits.at(i).unicode() - u'0') * weight;
        weight = 4 - weight;
    }
    return (10 - sum % 10) % 10;
}

int normalisedRotation(int rotationDeg)
{
    const int r = ((rotationDeg % 360) + 360) % 360;
    return (r == 90 || r == 180 || r == 270) ? r : 0;
}

double sanitisedRatio(double wideToNarrow)
{
    if (!std::isfinite(wideToNarrow)) {
        return 2.0;
    }
    return std::clamp(wideToNarrow, 2.0, 3.0);
}

// Width in modules zint gives a wide element; other symbologies have no wide/narrow elements.
qreal zintWideModules(Symbology symbology)
{
    switch (symbology) {
    case Symbology::Code39:
        return 2;
    case Symbology::Itf14:
        return 3;
    default:
        return 0;
    }
}

bool hasGuardBars(Symbology symbology)
{
    return symbology == Symbology::Ean13 || symbology == Symbology::Ean8 || symbology == Symbology::UpcA;
}

// The font at the device's resolution: the style counts its pixels on a 96 dpi screen.
QFont deviceFont(const QFont& font, qreal dpi)
{
    QFont result(font);
    qreal px96 = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * 96.0 / 72.0;
    if (!(px96 > 0)) {
        px96 = 12;
    }
    px96 = std::min(px96, 1000.0);
    result.setPixelSize(std::max(1, qRound(px96 * dpi / 96.0)));
    return result;
}

// Positions along a 1D symbol in dots. Bar and space edges are whole dots; wide elements of Code 39 and
// ITF-14 get the style's ratio instead of zint's fixed one.
class DotMap
{
public:
    DotMap(const BarcodeSymbol& symbol, const BarcodeStyle& style, int moduleDots)
        : m_moduleDots(moduleDots)
    {
        m_edges.push_back(0);
        m_edges.push_back(symbol.sizeModules.width());
        for (const QRectF& r : symbol.rects) {
            m_edges.push_back(r.left());
            m_edges.push_back(r.right());
        }
        std::sort(m_edges.begin(), m_edges.end());
        m_edges.erase(std::unique(m_edges.begin(), m_edges.end(),
                                  [](qreal a, qreal b) { return std::abs(a - b) < 1e-4; }),
                      m_edges.end());

        const qreal wide = zintWideModules(symbol.symbology);
        const int wideDots =
            std::max(moduleDots + 1, qRound(sanitisedRatio(style.wideToNarrow) * moduleDots));
        int at = 0;
        m_dots.push_back(at);
        for (qsizetype i = 1; i < m_edges.size(); ++i) {
            const qreal width = m_edges.at(i) - m_edges.at(i - 1);
            at += (wide > 0 && std::abs(width - wide) < 1e-4) ? wideDots : qRound(width * moduleDots);
            m_dots.push_back(at);
        }
    }

    qreal operator()(qreal xModules) const
    {
        const auto it = std::lower_bound(m_edges.begin(), m_edges.end(), xModules - 1e-4);
        if (it == m_edges.end()) {
            return m_dots.last() + (xModules - m_edges.last()) * m_moduleDots;
        }
        const qsizetype i = it - m_edges.begin();
        if (std::abs(*it - xModules) < 1e-4 || i == 0) {
            return m_dots.at(i) + (xModules - *it) * m_moduleDots;
        }
        const qreal t = (xModules - m_edges.at(i - 1)) / (m_edges.at(i) - m_edges.at(i - 1));
        return m_dots.at(i - 1) + t * (m_dots.at(i) - m_dots.at(i - 1));
    }

    int edge(qreal xModules) const { return qRound((*this)(xModules)); }
    int widthDots() const { return m_dots.last(); }

private:
    int m_moduleDots;
    QVector<qreal> m_edges;
    QVector<int> m_dots;
};

// The vertical layout of a 1D symbol: fixed parts (a bearer box, guard bars) keep their module size,
// the ordinary bars take what is left.
struct Vertical1D
{
    qreal barTopModules = 0;    ///< above the bars: ITF-14's bearer box
    qreal belowBarsModules = 0; ///< below the bars: bearer box or guard bars
};

Vertical1D vertical1D(const BarcodeSymbol& symbol)
{
    Vertical1D v;
    qreal top = symbol.sizeModules.height();
    for (const QRectF& r : symbol.rects) {
        if (r.height() >= symbol.barHeightModules - 1e-4) {
            top = std::min(top, r.top());
        }
    }
    v.barTopModules = top;
    v.belowBarsModules = std::max<qreal>(0, symbol.sizeModules.height() - top - symbol.barHeightModules);
    return v;
}

qreal snap(qreal value, qreal dot)
{
    return std::round(value / dot) * dot;
}
qreal snapUp(qreal value, qreal dot)
{
    return std::ceil(value / dot - 1e-9) * dot;
}
qreal snapDown(qreal value, qreal dot)
{
    return std::floor(value / dot + 1e-9) * dot;
}

void paint1D(QPainter& painter, const QRectF& local, const BarcodeSymbol& symbol, const BarcodeStyle& style,
             qreal deviceDpi, qreal dot, int moduleDots)
{
    const DotMap map(symbol, style, moduleDots);
    const Vertical1D v = vertical1D(symbol);
    const qreal module = moduleDots * dot;
    const bool text = style.showText && !symbol.texts.isEmpty();
    const QFont font = deviceFont(style.textFont, deviceDpi);
    const QFontMetricsF metrics(font, painter.device());
    const qreal textHeight = text ? metrics.height() : 0;

    const qreal above = v.barTopModules * module;
    const qreal below = v.belowBarsModules * module;
    // Guard bars reach down beside the digits; a bearer box lies between bars and text.
    const qreal reserved = hasGuardBars(symbol.symbology) ? std::max(below, textHeight) : below + textHeight;

    const qreal x0 = snap(local.center().x() - map.widthDots() * dot / 2, dot);
    const qreal y0 = snapUp(local.top(), dot);
    const qreal barHeight = std::max<qreal>(0, snapDown(local.bottom() - y0 - above - reserved, dot));
    const qreal barBottom = y0 + above + barHeight;

    const auto mapY = [&](qreal yModules) {
        if (yModules <= v.barTopModules) {
            return y0 + yModules * module;
        }
        const qreal inBars = yModules - v.barTopModules;
        if (inBars <= symbol.barHeightModules) {
            return y0 + above + snap(inBars / symbol.barHeightModules * barHeight, dot);
        }
        return barBottom + (inBars - symbol.barHeightModules) * module;
    };

    for (const QRectF& r : symbol.rects) {
        const qreal left = x0 + map.edge(r.left()) * dot;
        const qreal right = x0 + map.edge(r.right()) * dot;
        const qreal top = mapY(r.top());
        const qreal bottom = mapY(r.bottom());
        if (right > left && bottom > top) {
            painter.fillRect(QRectF(left, top, right - left, bottom - top), Qt::black);
        }
    }

    if (!text) {
        return;
    }
    painter.setFont(font);
    painter.setPen(Qt::black);
    const qreal textTop = hasGuardBars(symbol.symbology) ? barBottom : barBottom + below;
    const qreal baseline = textTop + metrics.ascent();
    for (const BarcodeText& t : symbol.texts) {
        const qreal anchor = x0 + map(t.xModules) * dot;
        const qreal advance = metrics.horizontalAdvance(t.text);
        qreal x = anchor;
        if (t.align == BarcodeText::Align::Centre) {
            x -= advance / 2;
        } else if (t.align == BarcodeText::Align::Right) {
            x -= advance;
        }
        painter.drawText(QPointF(x, baseline), t.text);
    }
}

void paint2D(QPainter& painter, const QRectF& local, const BarcodeSymbol& symbol, qreal dot, int moduleDots)
{
    const qreal widthDots = std::round(symbol.sizeModules.width() * moduleDots);
    const qreal x0 = snap(local.center().x() - widthDots * dot / 2, dot);
    const qreal y0 = snapUp(local.top(), dot);
    const auto at = [&](qreal modules) { return std::round(modules * moduleDots) * dot; };
    for (const QRectF& r : symbol.rects) {
        const QRectF rect(QPointF(x0 + at(r.left()), y0 + at(r.top())),
                          QPointF(x0 + at(r.right()), y0 + at(r.bottom())));
        if (!rect.isEmpty()) {
            painter.fillRect(rect, Qt::black);
        }
    }
}

} // namespace

QVector<Symbology> allSymbologies()
{
    QVector<Symbology> result;
    for (const auto& i : kSymbologies) {
        result.push_back(i.symbology);
    }
    return result;
}

QString symbologyName(Symbology symbology)
{
    return QString::fromLatin1(info(symbology).name);
}

std::optional<Symbology> symbologyFromName(const QString& name)
{
    for (const auto& i : kSymbologies) {
        if (name.compare(QLatin1String(i.name), Qt::CaseInsensitive) == 0) {
            return i.symbology;
        }
    }
    return std::nullopt;
}

QString symbologyTitle(Symbology symbology)
{
    return QString::fromLatin1(info(symbology).title);
}

bool isTwoDimensional(Symbology symbology)
{
    switch (symbology) {
    case Symbology::QrCode:
    case Symbology::DataMatrix:
    case Symbology::Pdf417:
    case Symbology::Aztec:
        return true;
    default:
        return false;
    }
}

QFont BarcodeStyle::defaultTextFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    return font;
}

bool BarcodeStyle::operator==(const BarcodeStyle& other) const
{
    return symbology == other.symbology && showText == other.showText && textFont == other.textFont
           && rotationDeg == other.rotationDeg && wideToNarrow == other.wideToNarrow && zoom == other.zoom
           && autoSize == other.autoSize;
}

BarcodeSymbol encodeBarcode(const BarcodeStyle& style, const QString& data)
{
    BarcodeSymbol result;
    result.symbology = style.symbology;
    const auto fail = [&](const QString& reason) {
        result.error = QStringLiteral("Barcode \"%1\": invalid data \"%2\": %3")
                           .arg(symbologyTitle(style.symbology), data, reason);
        return result;
    };

    ZintPtr symbol(ZBarcode_Create());
    if (!symbol) {
        return fail(QStringLiteral("out of memory"));
    }
    // At scale 1 the vector output counts two units per module.
    symbol->scale = 0.5f;
    symbol->show_hrt = 1;
    symbol->input_mode = UNICODE_MODE;

    QString payload = data;
    // EAN/UPC: the length tells whether the check digit is given; zint would otherwise silently turn
    // a short EAN-13 into an EAN-8 or an add-on.
    const auto checkedOrNot = [&](int withoutCheck, int plain, int withCheck) -> bool {
        const QString main = data.section(u'+', 0, 0);
        if (!allDigits(main)) {
            symbol->symbology = plain;
            return true;
        }
        if (main.size() == withoutCheck) {
            symbol->symbology = plain;
            return true;
        }
        if (main.size() == withoutCheck + 1) {
            symbol->symbology = withCheck;
            return true;
        }
        return false;
    };

    switch (style.symbology) {
    case Symbology::Code128:
        symbol->symbology = BARCODE_CODE128;
        break;
    case Symbology::Ean13:
        if (!checkedOrNot(12, BARCODE_EANX, BARCODE_EANX_CHK)) {
            return fail(QStringLiteral("12 or 13 digits expected"));
        }
        break;
    case Symbology::Ean8:
        if (!checkedOrNot(7, BARCODE_EANX, BARCODE_EANX_CHK)) {
            return fail(QStringLiteral("7 or 8 digits expected"));
        }
        break;
    case Symbology::UpcA:
        if (!checkedOrNot(11, BARCODE_UPCA, BARCODE_UPCA_CHK)) {
            return fail(QStringLiteral("11 or 12 digits expected"));
        }
        break;
    case Symbology::Code39:
        symbol->symbology = BARCODE_CODE39;
        break;
    case Symbology::Itf14:
        symbol->symbology = BARCODE_ITF14;
        // zint takes at most 13 digits and appends the check digit itself.
        if (data.size() == 14 && allDigits(data)) {
            const int expected = gs1CheckDigit(data.left(13));
            if (data.at(13).unicode() - u'0' != expected) {
                return fail(QStringLiteral("Invalid check digit '%1', expecting '%2'")
                                .arg(data.at(13))
                                .arg(expected));
            }
            payload = data.left(13);
        }
        break;
    case Symbology::Gs1_128:
        symbol->symbology = BARCODE_GS1_128;
        symbol->input_mode = data.startsWith(u'[') ? GS1_MODE : (GS1_MODE | GS1PARENS_MODE);
        break;
    case Symbology::QrCode:
        symbol->symbology = BARCODE_QRCODE;
        break;
    case Symbology::DataMatrix:
        symbol->symbology = BARCODE_DATAMATRIX;
        break;
    case Symbology::Pdf417:
        symbol->symbology = BARCODE_PDF417;
        break;
    case Symbology::Aztec:
        symbol->symbology = BARCODE_AZTEC;
        break;
    }

    const QByteArray bytes = payload.toUtf8();
    int rc = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(bytes.constData()),
                             static_cast<int>(bytes.size()));
    // A GS1 label with a wrong check digit or a malformed AI is refused by the receiving systems, so what
    // zint only warns about is an error here.
    if (rc >= ZINT_ERROR || (style.symbology == Symbology::Gs1_128 && rc == ZINT_WARN_NONCOMPLIANT)) {
        return fail(QString::fromUtf8(symbol->errtxt));
    }
    rc = ZBarcode_Buffer_Vector(symbol.get(), 0);
    if (rc >= ZINT_ERROR || !symbol->vector) {
        return fail(QString::fromUtf8(symbol->errtxt));
    }

    const zint_vector& vector = *symbol->vector;
    qreal bottom = 0;
    for (const zint_vector_rect* r = vector.rectangles; r; r = r->next) {
        // Colours other than the foreground and black only appear in symbologies not offered here.
        if (r->colour != -1 && r->colour != 7) {
            continue;
        }
        result.rects.push_back(QRectF(r->x, r->y, r->width, r->height));
        bottom = std::max<qreal>(bottom, r->y + r->height);
    }
    if (!isTwoDimensional(style.symbology)) {
        for (const zint_vector_string* s = vector.strings; s; s = s->next) {
            BarcodeText text;
            text.xModules = s->x;
            text.align = s->halign == 1
                             ? BarcodeText::Align::Left
                             : (s->halign == 2 ? BarcodeText::Align::Right : BarcodeText::Align::Centre);
            text.text = QString::fromUtf8(reinterpret_cast<const char*>(s->text), s->length);
            result.texts.push_back(text);
        }
        result.barHeightModules = symbol->height;
        result.sizeModules = QSizeF(vector.width, bottom);
    } else {
        result.sizeModules = QSizeF(vector.width, vector.height);
    }
    return result;
}

int moduleWidthDots(const BarcodeStyle& style, qreal dotDpi)
{
    Q_ASSERT(dotDpi > 0);
    const double zoom = (std::isfinite(style.zoom) && style.zoom > 0) ? style.zoom : 1.0;
    const double dots = zoom * kBaseModuleWidthMm * (dotDpi > 0 ? dotDpi : 96.0) / 25.4;
    return static_cast<int>(std::clamp(std::round(dots), 1.0, 1000.0));
}

QSizeF barcodeNaturalSizeMm(const BarcodeSymbol& symbol, const BarcodeStyle& style, qreal dotDpi)
{
    if (!symbol.isValid() || !(dotDpi > 0)) {
        return QSizeF(0, 0);
    }
    const int moduleDots = moduleWidthDots(style, dotDpi);
    const qreal mmPerDot = 25.4 / dotDpi;
    QSizeF size;
    if (isTwoDimensional(symbol.symbology)) {
        size = QSizeF(std::round(symbol.sizeModules.width() * moduleDots) * mmPerDot,
                      std::round(symbol.sizeModules.height() * moduleDots) * mmPerDot);
    } else {
        const DotMap map(symbol, style, moduleDots);
        const Vertical1D v = vertical1D(symbol);
        const qreal moduleMm = moduleDots * mmPerDot;
        const bool text = style.showText && !symbol.texts.isEmpty();
        const qreal textMm = text ? QFontMetricsF(deviceFont(style.textFont, dotDpi)).height() * mmPerDot : 0;
        const qreal belowMm = v.belowBarsModules * moduleMm;
        const qreal reservedMm =
            hasGuardBars(symbol.symbology) ? std::max(belowMm, textMm) : belowMm + textMm;
        size = QSizeF(map.widthDots() * mmPerDot,
                      (v.barTopModules + symbol.barHeightModules) * moduleMm + reservedMm);
    }
    if (normalisedRotation(style.rotationDeg) % 180 != 0) {
        size.transpose();
    }
    return size;
}

void paintBarcode(QPainter& painter, const QRectF& box, const BarcodeSymbol& symbol,
                  const BarcodeStyle& style, qreal deviceDpi, qreal dotDpi)
{
    if (!symbol.isValid() || box.isEmpty() || !(deviceDpi > 0)) {
        return;
    }
    if (!(dotDpi > 0)) {
        dotDpi = deviceDpi;
    }
    const qreal dot = deviceDpi / dotDpi;
    const int moduleDots = moduleWidthDots(style, dotDpi);

    painter.save();
    painter.setClipRect(box, Qt::IntersectClip);
    // A turn about the origin by a multiple of 90 degrees maps the dot grid onto itself, so the symbol is
    // laid out unturned in the turned box and stays on the grid.
    QTransform turn;
    turn.rotate(normalisedRotation(style.rotationDeg));
    const QRectF local = turn.inverted().mapRect(box);
    painter.setTransform(turn, true);
    painter.setPen(Qt::NoPen);
    // Whole-pixel dots print crisp without smoothing; a preview with dots smaller than its pixels shows
    // the dot widths better smoothed.
    painter.setRenderHint(QPainter::Antialiasing, std::abs(dot - std::round(dot)) > 1e-9);

    if (isTwoDimensional(symbol.symbology)) {
        paint2D(painter, local, symbol, dot, moduleDots);
    } else {
        paint1D(painter, local, symbol, style, deviceDpi, dot, moduleDots);
    }
    painter.restore();
}

QString paintBarcode(QPainter& painter, const QRectF& box, const BarcodeStyle& style, const QString& data,
                     qreal deviceDpi, qreal dotDpi)
{
    const BarcodeSymbol symbol = encodeBarcode(style, data);
    paintBarcode(painter, box, symbol, style, deviceDpi, dotDpi);
    return symbol.error;
}

} // namespace lbl::report
