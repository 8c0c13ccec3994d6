// Template files: XML writing and a forgiving reader that lists what it cannot understand.
#include "report/TemplateFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cmath>
#include <optional>

namespace lbl::report {

namespace {

const QString kRoot = QStringLiteral("label-template");

// Generous bounds that still keep a damaged file from asking for absurd pages or images.
constexpr qreal kMaxLengthMm = 10000;
constexpr int kMaxColumns = 100;
constexpr int kMaxCopies = 9999;
// A label sheet needs far fewer; the caps keep a generated or damaged file from taking seconds and
// gigabytes to load, prepare and paint.
constexpr qsizetype kMaxPages = 1000;
constexpr qsizetype kMaxBands = 1000;
constexpr qsizetype kMaxObjects = 10000;

struct EnumName
{
    int value;
    const char* name;
};

const EnumName kPaperNames[] = {{int(PaperSize::Custom), "custom"},
                                {int(PaperSize::A4), "a4"},
                                {int(PaperSize::A5), "a5"},
                                {int(PaperSize::A6), "a6"},
                                {int(PaperSize::Letter), "letter"}};
const EnumName kOrientationNames[] = {{int(Orientation::Portrait), "portrait"},
                                      {int(Orientation::Landscape), "landscape"}};
const EnumName kBandNames[] = {{int(BandType::PageHeader), "page-header"},
                               {int(BandType::MasterData), "master-data"},
                               {int(BandType::PageFooter), "page-footer"}};
const EnumName kHAlignNames[] = {
    {int(HAlign::Left), "left"}, {int(HAlign::Center), "center"}, {int(HAlign::Right), "right"}};
const EnumName kVAlignNames[] = {
    {int(VAlign::Top), "top"}, {int(VAlign::Center), "center"}, {int(VAlign::Bottom), "bottom"}};

template <typename E, std::size_t N> QString enumName(const EnumName (&names)[N], E value)
{
    for (const EnumName& n : names) {
        if (n.value == int(value)) {
            return QString::fromLatin1(n.name);
        }
    }
    Q_ASSERT(false);
    return {};
}

QString number(qreal v)
{
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

QString boolText(bool v)
{
    return v ? QStringLiteral("true") : QStringLiteral("false");
}

QString colorText(const QColor& c)
{
    if (!c.isValid()) {
        return QStringLiteral("none");
    }
    return c.alpha() == 255 ? c.name(QColor::HexRgb) : c.name(QColor::HexArgb);
}

class Writer
{
public:
    explicit Writer(QByteArray* out)
        : m_xml(out)
    {
        m_xml.setAutoFormatting(true);
        m_xml.setAutoFormattingIndent(2);
    }

    void write(const Report& report)
    {
        m_xml.writeStartDocument();
        m_xml.writeStartElement(kRoot);
        m_xml.writeAttribute(QStringLiteral("version"), QString::number(kTemplateFormatVersion));
        for (const QString& alias : report.dataSets) {
            m_xml.writeEmptyElement(QStringLiteral("data-set"));
            m_xml.writeAttribute(QStringLiteral("alias"), alias);
        }
        m_xml.writeTextElement(QStringLiteral("script"), report.script);
        m_xml.writeEmptyElement(QStringLiteral("print"));
        m_xml.writeAttribute(QStringLiteral("copies"), QString::number(report.printOptions.copies));
        m_xml.writeAttribute(QStringLiteral("print-dialog"), boolText(report.printOptions.printDialog));
        m_xml.writeAttribute(QStringLiteral("printer"), report.printOptions.printerName);
        for (const Page& page : report.pages) {
            writePage(page);
        }
        m_xml.writeEndElement();
        m_xml.writeEndDocument();
    }

private:
    void writePage(const Page& page)
    {
        m_xml.writeStartElement(QStringLiteral("page"));
        m_xml.writeAttribute(QStringLiteral("name"), page.name);
        m_xml.writeAttribute(QStringLiteral("paper"), enumName(kPaperNames, page.paper));
        m_xml.writeAttribute(QStringLiteral("orientation"), enumName(kOrientationNames, page.orientation));
        m_xml.writeAttribute(QStringLiteral("width"), number(page.widthMm));
        m_xml.writeAttribute(QStringLiteral("height"), number(page.heightMm));
        m_xml.writeAttribute(QStringLiteral("grows"), boolText(page.growsWithContent));
        m_xml.writeAttribute(QStringLiteral("margin-left"), number(page.margins.leftMm));
        m_xml.writeAttribute(QStringLiteral("margin-top"), number(page.margins.topMm));
        m_xml.writeAttribute(QStringLiteral("margin-right"), number(page.margins.rightMm));
        m_xml.writeAttribute(QStringLiteral("margin-bottom"), number(page.margins.bottomMm));
        m_xml.writeAttribute(QStringLiteral("columns"), QString::number(page.columns.count));
        m_xml.writeAttribute(QStringLiteral("column-gap"), number(page.columns.gapMm));
        for (const Band& band : page.bands) {
            m_xml.writeStartElement(QStringLiteral("band"));
            m_xml.writeAttribute(QStringLiteral("type"), enumName(kBandNames, band.type));
            m_xml.writeAttribute(QStringLiteral("name"), band.name);
            m_xml.writeAttribute(QStringLiteral("data-set"), band.dataSet);
            m_xml.writeAttribute(QStringLiteral("top"), number(band.topMm));
            m_xml.writeAttribute(QStringLiteral("height"), number(band.heightMm));
            for (const ReportObject& object : band.objects) {
                writeObject(object);
            }
            m_xml.writeEndElement();
        }
        m_xml.writeEndElement();
    }

    void writeBox(const ReportObject& object)
    {
        m_xml.writeAttribute(QStringLiteral("name"), object.name);
        m_xml.writeAttribute(QStringLiteral("left"), number(object.boxMm.x()));
        m_xml.writeAttribute(QStringLiteral("top"), number(object.boxMm.y()));
        m_xml.writeAttribute(QStringLiteral("width"), number(object.boxMm.width()));
        m_xml.writeAttribute(QStringLiteral("height"), number(object.boxMm.height()));
    }

    void writeObject(const ReportObject& object)
    {
        if (const auto* text = std::get_if<TextObject>(&object.content)) {
            m_xml.writeStartElement(QStringLiteral("text"));
            writeBox(object);
            m_xml.writeAttribute(QStringLiteral("font-family"), text->font.family);
            m_xml.writeAttribute(QStringLiteral("font-size"), number(text->font.sizePt));
            m_xml.writeAttribute(QStringLiteral("bold"), boolText(text->font.bold));
            m_xml.writeAttribute(QStringLiteral("italic"), boolText(text->font.italic));
            m_xml.writeAttribute(QStringLiteral("underline"), boolText(text->font.underline));
            m_xml.writeAttribute(QStringLiteral("color"), colorText(text->font.color));
            m_xml.writeAttribute(QStringLiteral("h-align"), enumName(kHAlignNames, text->hAlign));
            m_xml.writeAttribute(QStringLiteral("v-align"), enumName(kVAlignNames, text->vAlign));
            m_xml.writeAttribute(QStringLiteral("word-wrap"), boolText(text->wordWrap));
            m_xml.writeEmptyElement(QStringLiteral("frame"));
            m_xml.writeAttribute(QStringLiteral("left"), boolText(text->frame.left));
            m_xml.writeAttribute(QStringLiteral("top"), boolText(text->frame.top));
            m_xml.writeAttribute(QStringLiteral("right"), boolText(text->frame.right));
            m_xml.writeAttribute(QStringLiteral("bottom"), boolText(text->frame.bottom));
            m_xml.writeAttribute(QStringLiteral("width"), number(text->frame.widthMm));
            m_xml.writeAttribute(QStringLiteral("color"), colorText(text->frame.color));
            m_xml.writeTextElement(QStringLiteral("content"), text->text);
            m_xml.writeEndElement();
        } else if (const auto* barcode = std::get_if<BarcodeObject>(&object.content)) {
            const BarcodeStyle& style = barcode->style;
            m_xml.writeStartElement(QStringLiteral("barcode"));
            writeBox(object);
            m_xml.writeAttribute(QStringLiteral("symbology"), symbologyName(style.symbology));
            m_xml.writeAttribute(QStringLiteral("show-text"), boolText(style.showText));
            m_xml.writeAttribute(QStringLiteral("font-family"), style.textFont.family());
            if (style.textFont.pixelSize() > 0) {
                m_xml.writeAttribute(QStringLiteral("font-pixel-size"),
                                     QString::number(style.textFont.pixelSize()));
            } else {
                m_xml.writeAttribute(QStringLiteral("font-size"), number(style.textFont.pointSizeF()));
            }
            m_xml.writeAttribute(QStringLiteral("bold"), boolText(style.textFont.bold()));
            m_xml.writeAttribute(QStringLiteral("italic"), boolText(style.textFont.italic()));
            m_xml.writeAttribute(QStringLiteral("rotation"), QString::number(style.rotationDeg));
            m_xml.writeAttribute(QStringLiteral("wide-to-narrow"), number(style.wideToNarrow));
            m_xml.writeAttribute(QStringLiteral("zoom"), number(style.zoom));
            m_xml.writeAttribute(QStringLiteral("auto-size"), boolText(style.autoSize));
            m_xml.writeAttribute(QStringLiteral("sample-text"), barcode->sampleText);
            m_xml.writeTextElement(QStringLiteral("data"), barcode->data);
            m_xml.writeEndElement();
        } else if (const auto* line = std::get_if<LineObject>(&object.content)) {
            m_xml.writeEmptyElement(QStringLiteral("line"));
            writeBox(object);
            m_xml.writeAttribute(QStringLiteral("line-width"), number(line->widthMm));
            m_xml.writeAttribute(QStringLiteral("color"), colorText(line->color));
        } else if (const auto* rect = std::get_if<RectObject>(&object.content)) {
            m_xml.writeEmptyElement(QStringLiteral("rect"));
            writeBox(object);
            m_xml.writeAttribute(QStringLiteral("line-width"), number(rect->lineWidthMm));
            m_xml.writeAttribute(QStringLiteral("line-color"), colorText(rect->lineColor));
            m_xml.writeAttribute(QStringLiteral("fill-color"), colorText(rect->fillColor));
        } else if (const auto* picture = std::get_if<PictureObject>(&object.content)) {
            m_xml.writeStartElement(QStringLiteral("picture"));
            writeBox(object);
            m_xml.writeAttribute(QStringLiteral("keep-aspect"), boolText(picture->keepAspect));
            m_xml.writeCharacters(QString::fromLatin1(picture->imageData.toBase64()));
            m_xml.writeEndElement();
        }
    }

    QXmlStreamWriter m_xml;
};

class Reader
{
public:
    Reader(const QByteArray& xml, ErrorList& errors, QString sourceName)
        : m_xml(xml)
        , m_errors(errors)
        , m_source(std::move(sourceName))
    {
    }

    void read(Report& report)
    {
        if (!m_xml.readNextStartElement()) {
            xmlError();
            return;
        }
        if (m_xml.name() != kRoot) {
            m_errors.add(QStringLiteral("%1: not a label template (root element <%2>)")
                             .arg(m_source, m_xml.name().toString()));
            return;
        }
        const QString version = m_xml.attributes().value(QLatin1String("version")).toString();
        bool ok = false;
        const int v = version.toInt(&ok);
        if (!ok || v < 1) {
            problem(QStringLiteral("missing or bad format version \"%1\"").arg(version));
        } else if (v > kTemplateFormatVersion) {
            problem(QStringLiteral("format version %1 is newer than this program reads (%2)")
                        .arg(v)
                        .arg(kTemplateFormatVersion));
        }
        while (m_xml.readNextStartElement()) {
            const auto name = m_xml.name();
            if (name == QLatin1String("data-set")) {
                report.dataSets.append(m_xml.attributes().value(QLatin1String("alias")).toString());
                m_xml.skipCurrentElement();
            } else if (name == QLatin1String("script")) {
                report.script = m_xml.readElementText();
            } else if (name == QLatin1String("print")) {
                PrintOptions& print = report.printOptions;
                print.copies = integerAttr(QStringLiteral("copies"), print.copies, 1, kMaxCopies);
                print.printDialog = boolAttr(QStringLiteral("print-dialog"), print.printDialog);
                print.printerName = m_xml.attributes().value(QLatin1String("printer")).toString();
                m_xml.skipCurrentElement();
            } else if (name == QLatin1String("page")) {
                if (!withinCap(m_pageCount, kMaxPages, "pages")) {
                    break;
                }
                report.pages.append(Page());
                readPage(report.pages.last());
            } else {
                unknownElement();
            }
        }
        xmlError();
    }

private:
    void problem(const QString& reason)
    {
        m_errors.add(QStringLiteral("%1: line %2: %3").arg(m_source).arg(m_xml.lineNumber()).arg(reason));
    }

    // Counts one more element of a kind; past the cap, reading stops as at a syntax error and what
    // was read is kept.
    bool withinCap(qsizetype& count, qsizetype cap, const char* what)
    {
        if (++count > cap) {
            m_xml.raiseError(QStringLiteral("more than %1 %2; the rest is not read").arg(cap).arg(what));
            return false;
        }
        return true;
    }

    void xmlError()
    {
        if (m_xml.hasError()) {
            problem(m_xml.errorString());
        }
    }

    void unknownElement()
    {
        problem(QStringLiteral("unknown element <%1>").arg(m_xml.name().toString()));
        m_xml.skipCurrentElement();
    }

    QString attr(const QString& name) const { return m_xml.attributes().value(name).toString(); }

    void badValue(const QString& name, const QString& text, const QString& what)
    {
        problem(QStringLiteral("<%1> attribute \"%2\": %3: \"%4\"")
                    .arg(m_xml.name().toString(), name, what, text));
    }

    qreal realAttr(const QString& name, qreal fallback, qreal min, qreal max)
    {
        if (!m_xml.attributes().hasAttribute(name)) {
            return fallback;
        }
        const QString text = attr(name);
        bool ok = false;
        const double v = text.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(v)) {
            badValue(name, text, QStringLiteral("not a number"));
            return fallback;
        }
        if (v < min || v > max) {
            badValue(name, text, QStringLiteral("out of range %1 to %2").arg(number(min), number(max)));
            return fallback;
        }
        return v;
    }

    qreal lengthAttr(const QString& name, qreal fallback)
    {
        return realAttr(name, fallback, -kMaxLengthMm, kMaxLengthMm);
    }

    qreal sizeAttr(const QString& name, qreal fallback) { return realAttr(name, fallback, 0, kMaxLengthMm); }

    int integerAttr(const QString& name, int fallback, int min, int max)
    {
        if (!m_xml.attributes().hasAttribute(name)) {
            return fallback;
        }
        const QString text = attr(name);
        bool ok = false;
        const int v = text.trimmed().toInt(&ok);
        if (!ok) {
            badValue(name, text, QStringLiteral("not a whole number"));
            return fallback;
        }
        if (v < min || v > max) {
            badValue(name, text, QStringLiteral("out of range %1 to %2").arg(min).arg(max));
            return fallback;
        }
        return v;
    }

    bool boolAttr(const QString& name, bool fallback)
    {
        if (!m_xml.attributes().hasAttribute(name)) {
            return fallback;
        }
        const QString text = attr(name);
        if (text == QLatin1String("true") || text == QLatin1String("1")) {
            return true;
        }
        if (text == QLatin1String("false") || text == QLatin1String("0")) {
            return false;
        }
        badValue(name, text, QStringLiteral("not true or false"));
        return fallback;
    }

    QColor colorAttr(const QString& name, const QColor& fallback)
    {
        if (!m_xml.attributes().hasAttribute(name)) {
            return fallback;
        }
        const QString text = attr(name);
        if (text == QLatin1String("none")) {
            return {};
        }
        const QColor c = QColor::fromString(text);
        if (!c.isValid() || !text.startsWith(QLatin1Char('#'))) {
            badValue(name, text, QStringLiteral("not a colour"));
            return fallback;
        }
        return c;
    }

    template <typename E, std::size_t N>
    E enumAttr(const QString& name, const EnumName (&names)[N], E fallback)
    {
        if (!m_xml.attributes().hasAttribute(name)) {
            return fallback;
        }
        const QString text = attr(name);
        for (const EnumName& n : names) {
            if (text == QLatin1String(n.name)) {
                return E(n.value);
            }
        }
        badValue(name, text, QStringLiteral("unknown value"));
        return fallback;
    }

    void readPage(Page& page)
    {
        page.name = attr(QStringLiteral("name"));
        page.paper = enumAttr(QStringLiteral("paper"), kPaperNames, page.paper);
        page.orientation = enumAttr(QStringLiteral("orientation"), kOrientationNames, page.orientation);
        const QSizeF named = paperSizeMm(page.paper);
        if (!named.isEmpty()) {
            page.setPaper(page.paper, page.orientation);
        }
        page.widthMm = realAttr(QStringLiteral("width"), page.widthMm, 1, kMaxLengthMm);
        page.heightMm = realAttr(QStringLiteral("height"), page.heightMm, 1, kMaxLengthMm);
        page.growsWithContent = boolAttr(QStringLiteral("grows"), page.growsWithContent);
        page.margins.leftMm = sizeAttr(QStringLiteral("margin-left"), page.margins.leftMm);
        page.margins.topMm = sizeAttr(QStringLiteral("margin-top"), page.margins.topMm);
        page.margins.rightMm = sizeAttr(QStringLiteral("margin-right"), page.margins.rightMm);
        page.margins.bottomMm = sizeAttr(QStringLiteral("margin-bottom"), page.margins.bottomMm);
        page.columns.count = integerAttr(QStringLiteral("columns"), page.columns.count, 1, kMaxColumns);
        page.columns.gapMm = sizeAttr(QStringLiteral("column-gap"), page.columns.gapMm);
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("band")) {
                if (!withinCap(m_bandCount, kMaxBands, "bands")) {
                    return;
                }
                page.bands.append(Band());
                readBand(page.bands.last());
            } else {
                unknownElement();
            }
        }
    }

    void readBand(Band& band)
    {
        band.type = enumAttr(QStringLiteral("type"), kBandNames, band.type);
        band.name = attr(QStringLiteral("name"));
        band.dataSet = attr(QStringLiteral("data-set"));
        band.topMm = lengthAttr(QStringLiteral("top"), band.topMm);
        band.heightMm = sizeAttr(QStringLiteral("height"), band.heightMm);
        while (m_xml.readNextStartElement()) {
            if (!withinCap(m_objectCount, kMaxObjects, "objects")) {
                return;
            }
            ReportObject object;
            object.name = attr(QStringLiteral("name"));
            const qreal left = lengthAttr(QStringLiteral("left"), 0);
            const qreal top = lengthAttr(QStringLiteral("top"), 0);
            const qreal width = sizeAttr(QStringLiteral("width"), 0);
            const qreal height = sizeAttr(QStringLiteral("height"), 0);
            object.boxMm = QRectF(left, top, width, height);
            const auto name = m_xml.name();
            if (name == QLatin1String("text")) {
                object.content = readText();
            } else if (name == QLatin1String("barcode")) {
                object.content = readBarcode();
            } else if (name == QLatin1String("line")) {
                LineObject line;
                line.widthMm = sizeAttr(QStringLiteral("line-width"), line.widthMm);
                line.color = colorAttr(QStringLiteral("color"), line.color);
                object.content = line;
                m_xml.skipCurrentElement();
            } else if (name == QLatin1String("rect")) {
                RectObject rect;
                rect.lineWidthMm = sizeAttr(QStringLiteral("line-width"), rect.lineWidthMm);
                rect.lineColor = colorAttr(QStringLiteral("line-color"), rect.lineColor);
                rect.fillColor = colorAttr(QStringLiteral("fill-color"), rect.fillColor);
                object.content = rect;
                m_xml.skipCurrentElement();
            } else if (name == QLatin1String("picture")) {
                PictureObject picture;
                picture.keepAspect = boolAttr(QStringLiteral("keep-aspect"), picture.keepAspect);
                const QByteArray base64 = m_xml.readElementText().toLatin1();
                auto decoded = QByteArray::fromBase64Encoding(
                    base64, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
                if (decoded) {
                    picture.imageData = *decoded;
                } else {
                    problem(QStringLiteral("<picture> \"%1\": image data is not base64").arg(object.name));
                }
                object.content = picture;
            } else {
                unknownElement();
                continue;
            }
            if (m_xml.hasError()) {
                return;
            }
            band.objects.append(object);
        }
    }

    TextObject readText()
    {
        TextObject text;
        text.font.family = attr(QStringLiteral("font-family"));
        text.font.sizePt = realAttr(QStringLiteral("font-size"), text.font.sizePt, 0.5, 1000);
        text.font.bold = boolAttr(QStringLiteral("bold"), false);
        text.font.italic = boolAttr(QStringLiteral("italic"), false);
        text.font.underline = boolAttr(QStringLiteral("underline"), false);
        text.font.color = colorAttr(QStringLiteral("color"), text.font.color);
        text.hAlign = enumAttr(QStringLiteral("h-align"), kHAlignNames, text.hAlign);
        text.vAlign = enumAttr(QStringLiteral("v-align"), kVAlignNames, text.vAlign);
        text.wordWrap = boolAttr(QStringLiteral("word-wrap"), text.wordWrap);
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("frame")) {
                Frame& f = text.frame;
                f.left = boolAttr(QStringLiteral("left"), f.left);
                f.top = boolAttr(QStringLiteral("top"), f.top);
                f.right = boolAttr(QStringLiteral("right"), f.right);
                f.bottom = boolAttr(QStringLiteral("bottom"), f.bottom);
                f.widthMm = sizeAttr(QStringLiteral("width"), f.widthMm);
                f.color = colorAttr(QStringLiteral("color"), f.color);
                m_xml.skipCurrentElement();
            } else if (m_xml.name() == QLatin1String("content")) {
                text.text = m_xml.readElementText();
            } else {
                unknownElement();
            }
        }
        return text;
    }

    BarcodeObject readBarcode()
    {
        BarcodeObject barcode;
        BarcodeStyle& style = barcode.style;
        if (m_xml.attributes().hasAttribute(QLatin1String("symbology"))) {
            const QString text = attr(QStringLiteral("symbology"));
            if (const auto s = symbologyFromName(text)) {
                style.symbology = *s;
            } else {
                badValue(QStringLiteral("symbology"), text, QStringLiteral("unknown value"));
            }
        }
        style.showText = boolAttr(QStringLiteral("show-text"), style.showText);
        if (m_xml.attributes().hasAttribute(QLatin1String("font-family"))) {
            style.textFont.setFamily(attr(QStringLiteral("font-family")));
        }
        if (m_xml.attributes().hasAttribute(QLatin1String("font-pixel-size"))) {
            style.textFont.setPixelSize(integerAttr(QStringLiteral("font-pixel-size"), 12, 1, 1000));
        } else if (m_xml.attributes().hasAttribute(QLatin1String("font-size"))) {
            style.textFont.setPointSizeF(realAttr(QStringLiteral("font-size"), 9, 0.5, 1000));
        }
        style.textFont.setBold(boolAttr(QStringLiteral("bold"), style.textFont.bold()));
        style.textFont.setItalic(boolAttr(QStringLiteral("italic"), style.textFont.italic()));
        const int rotation = integerAttr(QStringLiteral("rotation"), 0, 0, 270);
        if (rotation % 90 != 0) {
            badValue(QStringLiteral("rotation"), attr(QStringLiteral("rotation")),
                     QStringLiteral("not 0, 90, 180 or 270"));
        } else {
            style.rotationDeg = rotation;
        }
        style.wideToNarrow = realAttr(QStringLiteral("wide-to-narrow"), style.wideToNarrow, 1, 10);
        style.zoom = realAttr(QStringLiteral("zoom"), style.zoom, 0.01, 100);
        style.autoSize = boolAttr(QStringLiteral("auto-size"), style.autoSize);
        barcode.sampleText = attr(QStringLiteral("sample-text"));
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("data")) {
                barcode.data = m_xml.readElementText();
            } else {
                unknownElement();
            }
        }
        return barcode;
    }

    QXmlStreamReader m_xml;
    ErrorList& m_errors;
    QString m_source;
    qsizetype m_pageCount = 0;
    qsizetype m_bandCount = 0;
    qsizetype m_objectCount = 0;
};

} // namespace

QByteArray templateToXml(const Report& report)
{
    QByteArray out;
    Writer(&out).write(report);
    return out;
}

void templateFromXml(const QByteArray& xml, Report& report, ErrorList& errors, const QString& sourceName)
{
    report.clear();
    Reader(xml, errors, sourceName).read(report);
}

void Report::loadFromFile(const QString& path, ErrorList& errors)
{
    clear();
    if (path.isEmpty()) {
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // The file name stays empty: a path that could not be opened is no template's name.
        throw TemplateError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()),
                            path);
    }
    templateFromXml(file.readAll(), *this, errors, QFileInfo(path).fileName());
    fileName = path;
}

void Report::saveToFile(const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(templateToXml(*this)) < 0 || !file.commit()) {
        throw TemplateError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()),
                            path);
    }
    fileName = path;
}

} // namespace lbl::report
