// Barcode symbols: encoding through libzint and painting them as vectors aligned to printer dots.
#pragma once

#include <QFont>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVector>

#include <optional>

class QPainter;

namespace lbl::report {

enum class Symbology {
    Code128,
    Ean13,
    Ean8,
    UpcA,
    Code39,
    Itf14,
    Gs1_128,
    QrCode,
    DataMatrix,
    Pdf417,
    Aztec
};

/// Every symbology, in the order of the enum.
QVector<Symbology> allSymbologies();

/// Stable lower-case name used in template files: "code128", "ean13", "ean8", "upca", "code39",
/// "itf14", "gs1_128", "qrcode", "datamatrix", "pdf417", "aztec".
QString symbologyName(Symbology symbology);

/// The symbology for a name from symbologyName(), compared without regard to case;
/// std::nullopt for any other text.
std::optional<Symbology> symbologyFromName(const QString& name);

/// Name shown to users and used in error texts: "Code 128", "EAN-13", "QR Code", ...
QString symbologyTitle(Symbology symbology);

/// True for QR Code, Data Matrix, PDF417 and Aztec: square modules, no human-readable text.
bool isTwoDimensional(Symbology symbology);

/// Module width at zoom 1, in mm: one dot of a 150 dpi printer. The sample's Code 128 of a 13-digit
/// article number (123 modules) at zoom 1.67 is then 34.8 mm wide.
inline constexpr double kBaseModuleWidthMm = 25.4 / 150.0;

struct BarcodeStyle
{
    Symbology symbology = Symbology::Code128;
    /// Human-readable text under the bars of a 1D symbol; 2D symbols have none.
    bool showText = true;
    /// Font of the human-readable text. Its pixel size counts pixels of a 96 dpi screen
    /// (12 px = 3.175 mm); a point size is used as is. Painting scales it to the device.
    QFont textFont = defaultTextFont();
    /// 0, 90, 180 or 270, clockwise; any other value counts as 0.
    int rotationDeg = 0;
    /// Code 39 and ITF-14: width of a wide element in narrow elements, kept within 2..3.
    double wideToNarrow = 2.0;
    /// Scale of the module width kBaseModuleWidthMm.
    double zoom = 1.0;
    /// The caller sizes the object to barcodeNaturalSizeMm() instead of using a fixed box.
    bool autoSize = false;

    static QFont defaultTextFont();

    bool operator==(const BarcodeStyle& other) const;
    bool operator!=(const BarcodeStyle& other) const { return !(*this == other); }
};

/// One piece of human-readable text as the symbology lays it out (EAN-13: three pieces).
struct BarcodeText
{
    enum class Align { Centre, Left, Right };
    qreal xModules = 0; ///< anchor of the piece along the symbol
    Align align = Align::Centre;
    QString text;

    bool operator==(const BarcodeText& other) const
    {
        return xModules == other.xModules && align == other.align && text == other.text;
    }
};

/// An encoded symbol in module units, or the reason the data could not be encoded.
struct BarcodeSymbol
{
    /// Empty when the data encoded; otherwise e.g.
    /// `Barcode "EAN-13": invalid data "abc": Error 284: Invalid character in data (digits and "+" only)`.
    QString error;
    Symbology symbology = Symbology::Code128;
    /// Whole symbol including the quiet zones the symbology keeps, without the text line.
    QSizeF sizeModules;
    /// 1D: height of the ordinary bars; guard bars (EAN, UPC) reach below it.
    qreal barHeightModules = 0;
    /// Dark rectangles, y down from the symbol's top.
    QVector<QRectF> rects;
    /// 1D only; painted only when the style shows text.
    QVector<BarcodeText> texts;

    bool isValid() const { return error.isEmpty(); }
};

/// Encodes data (Unicode text; QR Code, Data Matrix, PDF417 and Aztec carry it as UTF-8).
/// EAN-13, EAN-8, UPC-A and ITF-14 take the data with or without their check digit: a missing one
/// is computed, a given one must be right. GS1-128 takes AIs in (round) or [square] brackets.
/// Never throws for bad data: the result's error says what is wrong.
BarcodeSymbol encodeBarcode(const BarcodeStyle& style, const QString& data);

/// Width of one module in printer dots at dotDpi: zoom x kBaseModuleWidthMm rounded to whole dots,
/// at least one.
int moduleWidthDots(const BarcodeStyle& style, qreal dotDpi);

/// Size the symbol takes, text line included, rotation applied, when its bars are rounded to the dots
/// of a printer of dotDpi. An invalid symbol has size 0 x 0.
QSizeF barcodeNaturalSizeMm(const BarcodeSymbol& symbol, const BarcodeStyle& style, qreal dotDpi);

/// Paints symbol into box, in the painter's current coordinates, which must be device units of
/// deviceDpi. Bars are rounded to whole dots of a printer of dotDpi and their edges fall on that
/// printer's dot grid (counted from the coordinates' origin): the printer passes its dpi twice, the
/// preview passes the screen's dpi and the printer's dpi, so it shows what will be printed.
/// dotDpi 0 means deviceDpi. The symbol is centred horizontally, top-aligned, and clipped to box; a
/// 1D symbol's bars fill the box height less the text line. Rotation turns the whole symbol inside
/// box; at 90 and 270 the box's width carries the bar height. An invalid symbol paints nothing. The
/// painter's state is restored on return.
void paintBarcode(QPainter& painter, const QRectF& box, const BarcodeSymbol& symbol,
                  const BarcodeStyle& style, qreal deviceDpi, qreal dotDpi = 0);

/// Encodes and paints data as above. Returns the error text, empty when painted; on an error
/// nothing is painted.
QString paintBarcode(QPainter& painter, const QRectF& box, const BarcodeStyle& style, const QString& data,
                     qreal deviceDpi, qreal dotDpi = 0);

} // namespace lbl::report
