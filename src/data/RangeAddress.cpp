// Column letters, used-range addresses and the references built from them.
#include "data/RangeAddress.h"

namespace lbl::data {

namespace {

constexpr qsizetype maxColumn = qsizetype(1) << 31;
constexpr qsizetype wholeRowColumns = 256;

qsizetype rowNumber(const QString& part)
{
    const qsizetype dollar = part.indexOf(QLatin1Char('$'));
    const QString digits = dollar >= 0 ? part.mid(dollar + 1) : part;
    bool ok = false;
    const int row = digits.toInt(&ok, 10);
    return ok ? row : -1;
}

QString columnLetters(const QString& part)
{
    const qsizetype dollar = part.indexOf(QLatin1Char('$'));
    return dollar >= 0 ? part.left(dollar) : part;
}

} // namespace

qsizetype columnNumber(const QString& letters)
{
    if (letters.isEmpty()) {
        return -1;
    }
    qsizetype n = 0;
    for (const QChar c : letters) {
        const char16_t u = c.toUpper().unicode();
        if (u < u'A' || u > u'Z') {
            return -1;
        }
        n = n * 26 + (u - u'A' + 1);
        if (n > maxColumn) {
            return -1;
        }
    }
    return n;
}

QString columnName(qsizetype n)
{
    if (n < 1) {
        return QString(QChar(static_cast<char16_t>(64 + n)));
    }
    QString name;
    while (n > 0) {
        const qsizetype digit = (n - 1) % 26;
        name.prepend(QChar(static_cast<char16_t>(u'A' + digit)));
        n = (n - 1) / 26;
    }
    return name;
}

RangeBounds parseUsedRange(const QString& address)
{
    RangeBounds b;
    const qsizetype colon = address.indexOf(QLatin1Char(':'));
    if (colon < 0) {
        b.firstColumn = b.lastColumn = b.firstRow = b.lastRow = 1;
    } else {
        QString left = address.left(colon);
        QString right = address.mid(colon + 1, 255);
        if (left.startsWith(QLatin1Char('$'))) {
            left.remove(0, 1);
        }
        if (right.startsWith(QLatin1Char('$'))) {
            right.remove(0, 1);
        }
        const bool wholeRows = !left.contains(QLatin1Char('$'));
        b.firstRow = rowNumber(left);
        b.lastRow = rowNumber(right);
        if (wholeRows) {
            b.firstColumn = 1;
            b.lastColumn = wholeRowColumns;
        } else {
            b.firstColumn = columnNumber(columnLetters(left));
            b.lastColumn = columnNumber(columnLetters(right));
        }
    }
    if (b.firstColumn != -1 && b.lastColumn != -1 && b.firstRow != -1 && b.lastRow != -1) {
        b.columnCount = b.lastColumn - b.firstColumn + 1;
        b.rowCount = b.lastRow - b.firstRow + 1;
    }
    return b;
}

QString rangeReference(const RangeBounds& bounds)
{
    return columnName(bounds.firstColumn) + QString::number(bounds.firstRow) + QLatin1Char(':')
           + columnName(bounds.lastColumn) + QString::number(bounds.lastRow);
}

} // namespace lbl::data
