// Report: the template model the engine prepares, paints and prints.
#pragma once

#include "report/Barcode.h"

#include <QByteArray>
#include <QColor>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVector>

#include <stdexcept>
#include <variant>

namespace lbl::report {

/// A template file that cannot be opened or written. Where the user sees a fixed text, what() is
/// exactly that text and the path travels in fileName().
class TemplateError : public std::runtime_error
{
public:
    TemplateError(const QString& message, QString fileName);
    const QString& fileName() const { return m_fileName; }

private:
    QString m_fileName;
};

/// The engine's error list: what loading or preparing could not do, one line per error, each line
/// kept once, in the order first seen. The preview shows it in the engine's error box.
class ErrorList
{
public:
    /// Adds `line` unless it is already listed.
    void add(const QString& line);
    void append(const ErrorList& other);
    void clear() { m_lines.clear(); }
    bool isEmpty() const { return m_lines.isEmpty(); }
    qsizetype size() const { return m_lines.size(); }
    const QStringList& lines() const { return m_lines; }

private:
    QStringList m_lines;
};

enum class PaperSize { Custom, A4, A5, A6, Letter };
enum class Orientation { Portrait, Landscape };
enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Center, Bottom };

/// Portrait width and height of a named paper size in mm; Custom gives an empty size.
QSizeF paperSizeMm(PaperSize size);

struct FontStyle
{
    QString family = QStringLiteral("Arial");
    qreal sizePt = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QColor color = QColor(Qt::black);
};

/// Lines drawn along the edges of an object's box.
struct Frame
{
    bool left = false;
    bool top = false;
    bool right = false;
    bool bottom = false;
    qreal widthMm = 0.2;
    QColor color = QColor(Qt::black);

    bool any() const { return left || top || right || bottom; }
};

/// Literal text with [..] expressions, resolved per record.
struct TextObject
{
    QString text;
    FontStyle font;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Top;
    bool wordWrap = true;
    Frame frame;
};

/// A barcode whose data is an expression text like a text object's.
struct BarcodeObject
{
    QString data;
    /// Shown by the designer in place of the data, which it cannot resolve.
    QString sampleText;
    BarcodeStyle style;
};

/// A straight line from the box's top-left corner to its bottom-right corner (a zero height gives a
/// horizontal line, a zero width a vertical one).
struct LineObject
{
    qreal widthMm = 0.2;
    QColor color = QColor(Qt::black);
};

struct RectObject
{
    qreal lineWidthMm = 0.2;
    QColor lineColor = QColor(Qt::black);
    QColor fillColor; ///< invalid: not filled
};

/// A PNG or JPEG image kept as the file's bytes.
struct PictureObject
{
    QByteArray imageData;
    bool keepAspect = true;
};

using ObjectContent = std::variant<TextObject, BarcodeObject, LineObject, RectObject, PictureObject>;

/// One object on a band; `boxMm` is relative to the band's top-left corner.
struct ReportObject
{
    QString name;
    QRectF boxMm;
    ObjectContent content;
};

enum class BandType { PageHeader, MasterData, PageFooter };

struct Band
{
    BandType type = BandType::MasterData;
    QString name;
    /// Alias of the data set a master-data band repeats over; empty: printed once.
    QString dataSet;
    /// Position in the designer's page view; preparation stacks bands by type and order instead.
    qreal topMm = 0;
    qreal heightMm = 0;
    QVector<ReportObject> objects;
};

/// Label columns across the page (a sheet of labels). Master-data bands fill a column top-down,
/// then the next column.
struct Columns
{
    int count = 1;
    qreal gapMm = 0;
};

struct Margins
{
    qreal leftMm = 0;
    qreal topMm = 0;
    qreal rightMm = 0;
    qreal bottomMm = 0;
};

struct Page
{
    QString name;
    PaperSize paper = PaperSize::A4;
    /// The paper as laid out, orientation applied; for a named size kept in step by setPaper().
    qreal widthMm = 210;
    qreal heightMm = 297;
    Orientation orientation = Orientation::Portrait;
    Margins margins;
    /// Each record starts a new page, which grows downward when its bands need more height.
    bool growsWithContent = false;
    Columns columns;
    QVector<Band> bands;

    /// Sets paper, orientation and the laid-out size; for Custom, `customMm` is the portrait size.
    void setPaper(PaperSize size, Orientation orient, QSizeF customMm = {});
};

struct PrintOptions
{
    int copies = 1;
    bool printDialog = true;
    QString printerName;
};

/// A whole template. Plain values throughout, so a copy is a snapshot (the designer's undo).
struct Report
{
    QVector<Page> pages;
    /// Aliases of the data sets the template uses.
    QStringList dataSets;
    QString script;
    PrintOptions printOptions;
    /// Path last loaded from or saved to; empty when none.
    QString fileName;

    /// No pages, no data sets, empty script, default print options, empty file name.
    void clear() { *this = Report(); }

    /// Clears the report, then reads the template at `path`; an empty path leaves it cleared.
    /// What cannot be read (bad XML, wrong root, bad numbers) is listed in `errors` and the
    /// report keeps what was read, with `path` as file name. Throws TemplateError
    /// `Cannot open file "<path>". <reason>` when the file cannot be opened; the file name is
    /// then empty.
    void loadFromFile(const QString& path, ErrorList& errors);
    /// Writes the template to `path` and makes it the file name. Throws TemplateError
    /// `Cannot create file "<path>". <reason>`; the file on disk is then unchanged.
    void saveToFile(const QString& path);
};

bool operator==(const FontStyle& a, const FontStyle& b);
bool operator==(const Frame& a, const Frame& b);
bool operator==(const TextObject& a, const TextObject& b);
bool operator==(const BarcodeObject& a, const BarcodeObject& b);
bool operator==(const LineObject& a, const LineObject& b);
bool operator==(const RectObject& a, const RectObject& b);
bool operator==(const PictureObject& a, const PictureObject& b);
bool operator==(const ReportObject& a, const ReportObject& b);
bool operator==(const Columns& a, const Columns& b);
bool operator==(const Margins& a, const Margins& b);
bool operator==(const Band& a, const Band& b);
bool operator==(const Page& a, const Page& b);
bool operator==(const PrintOptions& a, const PrintOptions& b);
bool operator==(const Report& a, const Report& b);

/// The alias templates use for the program's data link.
inline const QString defaultDataSetAlias = QStringLiteral("rptDBDataset1");

/// The sample the window starts with: one 50 x 40 mm growing label per record of rptDBDataset1
/// with the name, the price after "￥" and a Code 128 of the bar code number.
Report sampleReport();

} // namespace lbl::report
