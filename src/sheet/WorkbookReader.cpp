// Reads the BIFF5/BIFF8 records of a workbook stream into sheets of stored cells.
#include "sheet/WorkbookReader.h"

#include "sheet/NumberFormat.h"

#include <QHash>
#include <QStringDecoder>
#include <QtEndian>

#include <cstring>

namespace lbl::sheet {

namespace {

constexpr quint16 RecFormula = 0x0006;
constexpr quint16 RecEof = 0x000A;
constexpr quint16 RecDateMode = 0x0022;
constexpr quint16 RecFilePass = 0x002F;
constexpr quint16 RecWindow1 = 0x003D;
constexpr quint16 RecContinue = 0x003C;
constexpr quint16 RecCodePage = 0x0042;
constexpr quint16 RecBoundSheet = 0x0085;
constexpr quint16 RecMulRk = 0x00BD;
constexpr quint16 RecRString = 0x00D6;
constexpr quint16 RecXf = 0x00E0;
constexpr quint16 RecSst = 0x00FC;
constexpr quint16 RecLabelSst = 0x00FD;
constexpr quint16 RecNumber = 0x0203;
constexpr quint16 RecLabel = 0x0204;
constexpr quint16 RecBoolErr = 0x0205;
constexpr quint16 RecString = 0x0207;
constexpr quint16 RecArray = 0x0221;
constexpr quint16 RecTable = 0x0236;
constexpr quint16 RecRk = 0x027E;
constexpr quint16 RecFormat = 0x041E;
constexpr quint16 RecShrFmla = 0x04BC;
constexpr quint16 RecBof = 0x0809;

quint16 u16(const char* p)
{
    return qFromLittleEndian<quint16>(p);
}

quint32 u32(const char* p)
{
    return qFromLittleEndian<quint32>(p);
}

double f64(const char* p)
{
    const quint64 bits = qFromLittleEndian<quint64>(p);
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double rkValue(quint32 rk)
{
    double value = 0;
    if (rk & 0x2) {
        value = static_cast<double>(static_cast<qint32>(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x1) ? value / 100 : value;
}

const char* codecName(quint16 codePage)
{
    switch (codePage) {
    case 367:
        return "US-ASCII";
    case 437:
        return "IBM437";
    case 850:
        return "IBM850";
    case 874:
        return "windows-874";
    case 932:
        return "Shift_JIS";
    case 936:
        return "GBK";
    case 949:
        return "windows-949";
    case 950:
        return "Big5";
    case 1250:
        return "windows-1250";
    case 1251:
        return "windows-1251";
    case 1253:
        return "windows-1253";
    case 1254:
        return "windows-1254";
    case 1255:
        return "windows-1255";
    case 1256:
        return "windows-1256";
    case 1257:
        return "windows-1257";
    case 1258:
        return "windows-1258";
    case 10000:
    case 32768:
        return "macintosh";
    default:
        return "windows-1252";
    }
}

struct Span
{
    qsizetype offset = 0;
    qsizetype length = 0;
};

// Reads across a record and its CONTINUE records as one sequence of bytes.
class SpanCursor
{
public:
    SpanCursor(const char* base, const std::vector<Span>& spans, const QString& fileName)
        : m_base(base)
        , m_spans(spans)
        , m_fileName(fileName)
    {
    }

    bool atEnd()
    {
        while (m_span < m_spans.size() && m_pos == m_spans[m_span].length) {
            ++m_span;
            m_pos = 0;
        }
        return m_span >= m_spans.size();
    }

    quint8 u8()
    {
        if (atEnd()) {
            fail();
        }
        return static_cast<quint8>(m_base[m_spans[m_span].offset + m_pos++]);
    }

    quint16 u16()
    {
        const quint16 low = u8();
        return quint16(low | (quint16(u8()) << 8));
    }

    quint32 u32()
    {
        const quint32 low = u16();
        return low | (quint32(u16()) << 16);
    }

    void skip(qint64 count)
    {
        while (count > 0) {
            if (atEnd()) {
                fail();
            }
            const qint64 step = std::min<qint64>(count, m_spans[m_span].length - m_pos);
            m_pos += step;
            count -= step;
        }
    }

    // A continuation in the middle of the characters restarts with an option byte that says
    // whether the rest is stored in one byte or two per character.
    QString chars(qsizetype count, bool twoBytes)
    {
        QString text(count, Qt::Uninitialized);
        char16_t* out = reinterpret_cast<char16_t*>(text.data());
        qsizetype done = 0;
        while (done < count) {
            if (m_pos == currentLength()) {
                if (m_span + 1 >= m_spans.size()) {
                    fail();
                }
                ++m_span;
                m_pos = 0;
                twoBytes = (u8() & 0x1) != 0;
                continue;
            }
            const char* p = m_base + m_spans[m_span].offset + m_pos;
            const qsizetype available = currentLength() - m_pos;
            if (twoBytes) {
                const qsizetype n = std::min(count - done, available / 2);
                if (n == 0) {
                    fail();
                }
                qFromLittleEndian<quint16>(p, n, out + done);
                m_pos += n * 2;
                done += n;
            } else {
                const qsizetype n = std::min(count - done, available);
                for (qsizetype i = 0; i < n; ++i) {
                    out[done + i] = static_cast<uchar>(p[i]);
                }
                m_pos += n;
                done += n;
            }
        }
        return text;
    }

private:
    qsizetype currentLength() const { return m_span < m_spans.size() ? m_spans[m_span].length : 0; }

    [[noreturn]] void fail() const
    {
        throw ImportError(m_fileName,
                          QStringLiteral("damaged workbook stream: a string runs past its record"));
    }

    const char* m_base;
    const std::vector<Span>& m_spans;
    const QString& m_fileName;
    size_t m_span = 0;
    qsizetype m_pos = 0;
};

struct Record
{
    quint16 id = 0;
    qsizetype offset = 0; ///< of the record's data
    qsizetype length = 0;
};

class Reader
{
public:
    Reader(const QByteArray& stream, const QString& fileName)
        : m_base(stream.constData())
        , m_size(stream.size())
        , m_fileName(fileName)
        , m_strings(std::make_shared<QVector<QString>>())
    {
    }

    WorkbookContents read();

private:
    struct SheetEntry
    {
        quint32 offset = 0;
        quint8 kind = 0;
        QString name;
        QByteArray rawName; ///< BIFF5: decoded once the code page is known
    };

    [[noreturn]] void fail(const QString& reason) const { throw ImportError(m_fileName, reason); }
    [[noreturn]] void tooShort(const Record& r) const
    {
        fail(QStringLiteral("damaged workbook stream: record 0x%1 at offset %2 is too short")
                 .arg(r.id, 4, 16, QLatin1Char('0'))
                 .arg(r.offset - 4));
    }

    bool next(Record& r);
    std::vector<Span> withContinues(const Record& first);
    QString unicodeString(SpanCursor& cursor, bool lengthIsByte);
    QString byteString(const char* p, qsizetype length);
    void readBof(Record& r, bool globals);
    void readGlobals();
    void readSst(const Record& r);
    void readSheet(const SheetEntry& entry, std::vector<StoredCell>& cells);
    void addNumber(std::vector<StoredCell>& cells, const char* p, double value);
    void addText(std::vector<StoredCell>& cells, const char* p, const QString& text);

    const char* m_base;
    qsizetype m_size;
    const QString& m_fileName;
    qsizetype m_pos = 0;
    bool m_biff8 = true;
    bool m_date1904 = false;
    quint16 m_codePage = 1252;
    QStringDecoder m_decoder;
    std::shared_ptr<QVector<QString>> m_strings;
    qsizetype m_sstCount = 0;
    std::vector<quint16> m_xfFormats;
    std::vector<FormatClass> m_xfClasses;
    QHash<int, QString> m_formats;
    QHash<int, QByteArray> m_rawFormats;
    std::vector<SheetEntry> m_sheets;
    qsizetype m_activeTab = -1;
};

bool Reader::next(Record& r)
{
    if (m_pos + 4 > m_size) {
        return false;
    }
    r.id = u16(m_base + m_pos);
    r.length = u16(m_base + m_pos + 2);
    r.offset = m_pos + 4;
    if (r.offset + r.length > m_size) {
        fail(QStringLiteral("damaged workbook stream: record at offset %1 runs past the end").arg(m_pos));
    }
    m_pos = r.offset + r.length;
    return true;
}

std::vector<Span> Reader::withContinues(const Record& first)
{
    std::vector<Span> spans{{first.offset, first.length}};
    while (m_pos + 4 <= m_size && u16(m_base + m_pos) == RecContinue) {
        Record r;
        next(r);
        spans.push_back({r.offset, r.length});
    }
    return spans;
}

QString Reader::unicodeString(SpanCursor& cursor, bool lengthIsByte)
{
    const quint16 count = lengthIsByte ? cursor.u8() : cursor.u16();
    const quint8 flags = cursor.u8();
    const quint16 runs = (flags & 0x08) ? cursor.u16() : 0;
    const quint32 extra = (flags & 0x04) ? cursor.u32() : 0;
    QString text = cursor.chars(count, (flags & 0x01) != 0);
    cursor.skip(qint64(runs) * 4 + extra);
    return text;
}

QString Reader::byteString(const char* p, qsizetype length)
{
    if (m_decoder.isValid()) {
        return m_decoder.decode(QByteArrayView(p, length));
    }
    return QString::fromLatin1(p, length);
}

void Reader::readBof(Record& r, bool globals)
{
    if (!next(r) || r.id != RecBof) {
        if (globals && m_size >= 2
            && (u16(m_base) == 0x0009 || u16(m_base) == 0x0209 || u16(m_base) == 0x0409)) {
            fail(QStringLiteral(
                "not a supported workbook (saved by a spreadsheet program older than Excel 5)"));
        }
        fail(globals
                 ? QStringLiteral("not a workbook (the workbook stream has no BIFF header)")
                 : QStringLiteral("damaged workbook stream: a sheet does not start where the index says"));
    }
    if (r.length < 4) {
        tooShort(r);
    }
}

WorkbookContents Reader::read()
{
    readGlobals();
    if (m_sheets.empty()) {
        fail(QStringLiteral("the workbook holds no sheet"));
    }
    if (!m_biff8) {
        m_decoder = QStringDecoder(codecName(m_codePage), QStringConverter::Flag::Stateless);
        for (SheetEntry& entry : m_sheets) {
            entry.name = byteString(entry.rawName.constData(), entry.rawName.size());
        }
        for (auto it = m_rawFormats.cbegin(); it != m_rawFormats.cend(); ++it) {
            m_formats.insert(it.key(), byteString(it.value().constData(), it.value().size()));
        }
    }
    QHash<int, FormatClass> classes;
    for (auto it = m_formats.cbegin(); it != m_formats.cend(); ++it) {
        classes.insert(it.key(), classifyFormat(it.value()));
    }
    m_xfClasses.reserve(m_xfFormats.size());
    for (const quint16 format : m_xfFormats) {
        const auto known = classes.constFind(format);
        m_xfClasses.push_back(known != classes.cend() ? *known : builtinFormatClass(format));
    }

    WorkbookContents contents;
    for (const SheetEntry& entry : m_sheets) {
        std::vector<StoredCell> cells;
        // Chart sheets and macro modules hold no cells.
        if (entry.kind == 0 || entry.kind == 1) {
            readSheet(entry, cells);
        }
        contents.sheets.push_back(std::make_unique<StoredSheet>(entry.name, std::move(cells), m_strings));
    }
    const qsizetype count = qsizetype(contents.sheets.size());
    contents.activeSheet = m_activeTab >= 0 && m_activeTab < count ? m_activeTab : 0;
    return contents;
}

void Reader::readGlobals()
{
    Record r;
    readBof(r, true);
    m_biff8 = u16(m_base + r.offset) >= 0x0600;
    while (next(r)) {
        const char* p = m_base + r.offset;
        switch (r.id) {
        case RecEof:
            return;
        case RecFilePass:
            fail(QStringLiteral(
                "the workbook is password-protected; save it without a password and try again"));
        case RecCodePage:
            if (r.length >= 2) {
                m_codePage = u16(p);
            }
            break;
        case RecDateMode:
            if (r.length >= 2) {
                m_date1904 = u16(p) == 1;
            }
            break;
        case RecWindow1:
            if (r.length >= 12 && m_activeTab < 0) {
                m_activeTab = u16(p + 10);
            }
            break;
        case RecBoundSheet: {
            if (r.length < 7) {
                tooShort(r);
            }
            SheetEntry entry;
            entry.offset = u32(p);
            entry.kind = static_cast<quint8>(p[5]);
            if (m_biff8) {
                const std::vector<Span> spans{{r.offset + 6, r.length - 6}};
                SpanCursor cursor(m_base, spans, m_fileName);
                entry.name = unicodeString(cursor, true);
            } else {
                const qsizetype length = std::min<qsizetype>(static_cast<quint8>(p[6]), r.length - 7);
                entry.rawName = QByteArray(p + 7, length);
            }
            m_sheets.push_back(std::move(entry));
            break;
        }
        case RecFormat: {
            if (r.length < 3) {
                tooShort(r);
            }
            const int index = u16(p);
            if (m_biff8) {
                const std::vector<Span> spans{{r.offset + 2, r.length - 2}};
                SpanCursor cursor(m_base, spans, m_fileName);
                m_formats.insert(index, unicodeString(cursor, false));
            } else {
                const qsizetype length = std::min<qsizetype>(static_cast<quint8>(p[2]), r.length - 3);
                m_rawFormats.insert(index, QByteArray(p + 3, length));
            }
            break;
        }
        case RecXf:
            if (r.length < 4) {
                tooShort(r);
            }
            m_xfFormats.push_back(u16(p + 2));
            break;
        case RecSst:
            readSst(r);
            break;
        default:
            break;
        }
    }
}

void Reader::readSst(const Record& r)
{
    if (r.length < 8) {
        tooShort(r);
    }
    const std::vector<Span> spans = withContinues(r);
    qsizetype bytes = 0;
    for (const Span& s : spans) {
        bytes += s.length;
    }
    SpanCursor cursor(m_base, spans, m_fileName);
    cursor.skip(4);
    const quint32 unique = cursor.u32();
    // Each string takes at least three bytes, which caps what a lying count can reserve.
    m_strings->reserve(m_strings->size() + std::min<qsizetype>(unique, bytes / 3 + 1));
    for (quint32 k = 0; k < unique && !cursor.atEnd(); ++k) {
        m_strings->append(unicodeString(cursor, false));
    }
    m_sstCount = m_strings->size();
}

void Reader::addNumber(std::vector<StoredCell>& cells, const char* p, double value)
{
    const quint16 xf = u16(p + 4);
    const FormatClass format = xf < m_xfClasses.size() ? m_xfClasses[xf] : FormatClass::Number;
    StoredCell cell;
    cell.row = u16(p);
    cell.column = u16(p + 2);
    switch (format) {
    case FormatClass::Number:
        cell.type = CellType::Number;
        break;
    case FormatClass::Currency:
        cell.type = CellType::Currency;
        break;
    case FormatClass::Date:
    case FormatClass::DateTime:
    case FormatClass::Time:
        cell.type = format == FormatClass::Date       ? CellType::Date
                    : format == FormatClass::DateTime ? CellType::DateTime
                                                      : CellType::Time;
        // Serials count from 1900-01-00 with a phantom 1900-02-29, or from 1904-01-01.
        if (m_date1904) {
            value += 1462;
        } else if (value >= 1 && value < 60) {
            value += 1;
        }
        break;
    }
    cell.number = value;
    cells.push_back(cell);
}

void Reader::addText(std::vector<StoredCell>& cells, const char* p, const QString& text)
{
    if (text.isEmpty()) {
        return;
    }
    StoredCell cell;
    cell.row = u16(p);
    cell.column = u16(p + 2);
    cell.type = CellType::Text;
    cell.text = m_strings->size();
    m_strings->append(text);
    cells.push_back(cell);
}

void Reader::readSheet(const SheetEntry& entry, std::vector<StoredCell>& cells)
{
    if (qsizetype(entry.offset) >= m_size) {
        fail(QStringLiteral("damaged workbook stream: a sheet starts past the end of the stream"));
    }
    m_pos = entry.offset;
    Record r;
    readBof(r, false);
    int depth = 1;
    // A formula with a string result is followed by a STRING record holding that string.
    bool stringPending = false;
    qsizetype pendingAt = 0;
    while (depth > 0 && next(r)) {
        const char* p = m_base + r.offset;
        if (r.id == RecBof) {
            ++depth;
            continue;
        }
        if (r.id == RecEof) {
            --depth;
            continue;
        }
        if (depth != 1) {
            continue;
        }
        if (stringPending && r.id != RecString && r.id != RecShrFmla && r.id != RecArray && r.id != RecTable
            && r.id != RecContinue) {
            stringPending = false;
        }
        switch (r.id) {
        case RecLabelSst: {
            if (r.length < 10) {
                tooShort(r);
            }
            const quint32 index = u32(p + 6);
            if (qsizetype(index) >= m_sstCount) {
                fail(QStringLiteral("damaged workbook stream: a cell refers to shared string %1 of %2")
                         .arg(index)
                         .arg(m_sstCount));
            }
            if (!m_strings->at(index).isEmpty()) {
                StoredCell cell;
                cell.row = u16(p);
                cell.column = u16(p + 2);
                cell.type = CellType::Text;
                cell.text = index;
                cells.push_back(cell);
            }
            break;
        }
        case RecLabel:
        case RecRString: {
            if (r.length < 8) {
                tooShort(r);
            }
            if (m_biff8) {
                const std::vector<Span> spans{{r.offset + 6, r.length - 6}};
                SpanCursor cursor(m_base, spans, m_fileName);
                const quint16 count = cursor.u16();
                const quint8 flags = cursor.u8();
                addText(cells, p, cursor.chars(count, (flags & 0x01) != 0));
            } else {
                const qsizetype length = std::min<qsizetype>(u16(p + 6), r.length - 8);
                addText(cells, p, byteString(p + 8, length));
            }
            break;
        }
        case RecNumber:
            if (r.length < 14) {
                tooShort(r);
            }
            addNumber(cells, p, f64(p + 6));
            break;
        case RecRk:
            if (r.length < 10) {
                tooShort(r);
            }
            addNumber(cells, p, rkValue(u32(p + 6)));
            break;
        case RecMulRk: {
            if (r.length < 6) {
                tooShort(r);
            }
            const quint16 row = u16(p);
            const quint16 firstColumn = u16(p + 2);
            const qsizetype count = (r.length - 6) / 6;
            char cellHeader[6];
            // A lying length must not wrap the column round onto cells stored earlier.
            for (qsizetype k = 0; k < count && firstColumn + k <= 0xFFFF; ++k) {
                const char* item = p + 4 + 6 * k;
                qToLittleEndian<quint16>(row, cellHeader);
                qToLittleEndian<quint16>(quint16(firstColumn + k), cellHeader + 2);
                std::memcpy(cellHeader + 4, item, 2);
                addNumber(cells, cellHeader, rkValue(u32(item + 2)));
            }
            break;
        }
        case RecBoolErr: {
            if (r.length < 8) {
                tooShort(r);
            }
            StoredCell cell;
            cell.row = u16(p);
            cell.column = u16(p + 2);
            cell.type = p[7] ? CellType::Error : CellType::Boolean;
            cell.code = static_cast<quint8>(p[6]);
            cells.push_back(cell);
            break;
        }
        case RecFormula: {
            if (r.length < 14) {
                tooShort(r);
            }
            const char* result = p + 6;
            if (u16(result + 6) != 0xFFFF) {
                addNumber(cells, p, f64(result));
                break;
            }
            StoredCell cell;
            cell.row = u16(p);
            cell.column = u16(p + 2);
            switch (result[0]) {
            case 0:
                stringPending = true;
                pendingAt = r.offset;
                break;
            case 1:
                cell.type = CellType::Boolean;
                cell.code = static_cast<quint8>(result[2]);
                cells.push_back(cell);
                break;
            case 2:
                cell.type = CellType::Error;
                cell.code = static_cast<quint8>(result[2]);
                cells.push_back(cell);
                break;
            default:
                // An empty string result, or none at all: nothing to show.
                break;
            }
            break;
        }
        case RecString: {
            if (!stringPending) {
                break;
            }
            stringPending = false;
            const char* formula = m_base + pendingAt;
            if (m_biff8) {
                const std::vector<Span> spans = withContinues(r);
                SpanCursor cursor(m_base, spans, m_fileName);
                const quint16 count = cursor.u16();
                const quint8 flags = cursor.u8();
                addText(cells, formula, cursor.chars(count, (flags & 0x01) != 0));
            } else {
                if (r.length < 2) {
                    tooShort(r);
                }
                const qsizetype length = std::min<qsizetype>(u16(p), r.length - 2);
                addText(cells, formula, byteString(p + 2, length));
            }
            break;
        }
        default:
            break;
        }
    }
}

} // namespace

WorkbookContents readWorkbookStream(const QByteArray& stream, const QString& fileName)
{
    return Reader(stream, fileName).read();
}

} // namespace lbl::sheet
