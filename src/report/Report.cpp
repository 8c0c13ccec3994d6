// Report model: comparisons, paper sizes, the error list and the built-in sample.
#include "report/Report.h"

#include <tuple>
#include <utility>

namespace lbl::report {

TemplateError::TemplateError(const QString& message, QString fileName)
    : std::runtime_error(message.toStdString())
    , m_fileName(std::move(fileName))
{
}

void ErrorList::add(const QString& line)
{
    if (!m_lines.contains(line)) {
        m_lines.append(line);
    }
}

void ErrorList::append(const ErrorList& other)
{
    for (const QString& line : other.lines()) {
        add(line);
    }
}

QSizeF paperSizeMm(PaperSize size)
{
    switch (size) {
    case PaperSize::A4:
        return {210, 297};
    case PaperSize::A5:
        return {148, 210};
    case PaperSize::A6:
        return {105, 148};
    case PaperSize::Letter:
        return {215.9, 279.4};
    case PaperSize::Custom:
        break;
    }
    return {};
}

void Page::setPaper(PaperSize size, Orientation orient, QSizeF customMm)
{
    paper = size;
    orientation = orient;
    const QSizeF portrait = size == PaperSize::Custom ? customMm : paperSizeMm(size);
    const bool swap = orient == Orientation::Landscape;
    widthMm = swap ? portrait.height() : portrait.width();
    heightMm = swap ? portrait.width() : portrait.height();
}

bool operator==(const FontStyle& a, const FontStyle& b)
{
    return std::tie(a.family, a.sizePt, a.bold, a.italic, a.underline, a.color)
           == std::tie(b.family, b.sizePt, b.bold, b.italic, b.underline, b.color);
}

bool operator==(const Frame& a, const Frame& b)
{
    return std::tie(a.left, a.top, a.right, a.bottom, a.widthMm, a.color)
           == std::tie(b.left, b.top, b.right, b.bottom, b.widthMm, b.color);
}

bool operator==(const TextObject& a, const TextObject& b)
{
    return std::tie(a.text, a.font, a.hAlign, a.vAlign, a.wordWrap, a.frame)
           == std::tie(b.text, b.font, b.hAlign, b.vAlign, b.wordWrap, b.frame);
}

bool operator==(const BarcodeObject& a, const BarcodeObject& b)
{
    return std::tie(a.data, a.sampleText, a.style) == std::tie(b.data, b.sampleText, b.style);
}

bool operator==(const LineObject& a, const LineObject& b)
{
    return std::tie(a.widthMm, a.color) == std::tie(b.widthMm, b.color);
}

bool operator==(const RectObject& a, const RectObject& b)
{
    return std::tie(a.lineWidthMm, a.lineColor, a.fillColor)
           == std::tie(b.lineWidthMm, b.lineColor, b.fillColor);
}

bool operator==(const PictureObject& a, const PictureObject& b)
{
    return std::tie(a.imageData, a.keepAspect) == std::tie(b.imageData, b.keepAspect);
}

bool operator==(const ReportObject& a, const ReportObject& b)
{
    return std::tie(a.name, a.boxMm, a.content) == std::tie(b.name, b.boxMm, b.content);
}

bool operator==(const Columns& a, const Columns& b)
{
    return std::tie(a.count, a.gapMm) == std::tie(b.count, b.gapMm);
}

bool operator==(const Margins& a, const Margins& b)
{
    return std::tie(a.leftMm, a.topMm, a.rightMm, a.bottomMm)
           == std::tie(b.leftMm, b.topMm, b.rightMm, b.bottomMm);
}

bool operator==(const Band& a, const Band& b)
{
    return std::tie(a.type, a.name, a.dataSet, a.topMm, a.heightMm, a.objects)
           == std::tie(b.type, b.name, b.dataSet, b.topMm, b.heightMm, b.objects);
}

bool operator==(const Page& a, const Page& b)
{
    return std::tie(a.name, a.paper, a.widthMm, a.heightMm, a.orientation, a.margins, a.growsWithContent,
                    a.columns, a.bands)
           == std::tie(b.name, b.paper, b.widthMm, b.heightMm, b.orientation, b.margins, b.growsWithContent,
                       b.columns, b.bands);
}

bool operator==(const PrintOptions& a, const PrintOptions& b)
{
    return std::tie(a.copies, a.printDialog, a.printerName)
           == std::tie(b.copies, b.printDialog, b.printerName);
}

bool operator==(const Report& a, const Report& b)
{
    return std::tie(a.pages, a.dataSets, a.script, a.printOptions, a.fileName)
           == std::tie(b.pages, b.dataSets, b.script, b.printOptions, b.fileName);
}

Report sampleReport()
{
    Report report;
    report.dataSets = QStringList{defaultDataSetAlias};

    Page page;
    page.name = QStringLiteral("Page1");
    page.setPaper(PaperSize::Custom, Orientation::Portrait, QSizeF(50, 40));
    page.growsWithContent = true;

    Band band;
    band.type = BandType::MasterData;
    band.name = QStringLiteral("MasterData1");
    band.dataSet = defaultDataSetAlias;
    band.topMm = 5;
    band.heightMm = 38;

    TextObject name;
    name.text = QStringLiteral("[rptDBDataset1.\"SPMC00\"]");
    band.objects.append({QStringLiteral("Memo1"), QRectF(3, 3, 44, 5), name});

    TextObject price;
    price.text = QStringLiteral("\uFFE5[rptDBDataset1.\"DJ0000\"]");
    band.objects.append({QStringLiteral("Memo2"), QRectF(8, 9, 25, 5), price});

    BarcodeObject barcode;
    barcode.data = QStringLiteral("[rptDBDataset1.\"TXM000\"]");
    barcode.sampleText = QStringLiteral("12345678");
    barcode.style.symbology = Symbology::Code128;
    barcode.style.showText = true;
    // A font height of 12 px on a 96 dpi screen.
    barcode.style.textFont = QFont(QStringLiteral("Arial"));
    barcode.style.textFont.setPixelSize(12);
    barcode.style.rotationDeg = 0;
    barcode.style.wideToNarrow = 2;
    barcode.style.zoom = 1.669790126582278;
    barcode.style.autoSize = false;
    band.objects.append({QStringLiteral("BarCode1"), QRectF(6, 17, 34.9, 17), barcode});

    page.bands.append(band);
    report.pages.append(page);
    return report;
}

} // namespace lbl::report
