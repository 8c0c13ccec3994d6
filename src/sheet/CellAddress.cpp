// A1-style cell references: column letters, range parsing and absolute addresses.
#include "sheet/CellAddress.h"

namespace lbl::sheet {

namespace {

struct CellRef
{
    qsizetype row = 0;
    qsizetype column = 0;
};

std::optional<CellRef> parseCell(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && text[i] == u'$') {
        ++i;
    }
    qsizetype column = 0;
    const qsizetype lettersStart = i;
    while (i < n && ((text[i] >= u'A' && text[i] <= u'Z') || (text[i] >= u'a' && text[i] <= u'z'))) {
        column = column * 26 + (text[i].toUpper().unicode() - u'A' + 1);
        if (column > MaxColumn) {
            return std::nullopt;
        }
        ++i;
    }
    if (i == lettersStart) {
        return std::nullopt;
    }
    if (i < n && text[i] == u'$') {
        ++i;
    }
    qsizetype row = 0;
    const qsizetype digitsStart = i;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
        row = row * 10 + (text[i].unicode() - u'0');
        if (row > MaxRow) {
            return std::nullopt;
        }
        ++i;
    }
    if (i == digitsStart || i != n || row < 1) {
        return std::nullopt;
    }
    return CellRef{row, column};
}

} // namespace

QString columnName(qsizetype column)
{
    QString name;
    while (column > 0) {
        const qsizetype digit = (column - 1) % 26;
        name.prepend(QChar(u'A' + static_cast<char16_t>(digit)));
        column = (column - 1) / 26;
    }
    return name;
}

std::optional<CellRange> parseRange(QStringView reference)
{
    reference = reference.trimmed();
    const qsizetype colon = reference.indexOf(u':');
    const auto first = parseCell(colon < 0 ? reference : reference.left(colon));
    if (!first) {
        return std::nullopt;
    }
    CellRef last = *first;
    if (colon >= 0) {
        const auto second = parseCell(reference.mid(colon + 1));
        if (!second) {
            return std::nullopt;
        }
        last = *second;
    }
    return CellRange{std::min(first->row, last.row), std::min(first->column, last.column),
                     std::max(first->row, last.row), std::max(first->column, last.column)};
}

QString absoluteAddress(const CellRange& range)
{
    QString address = u'$' + columnName(range.firstColumn) + u'$' + QString::number(range.firstRow);
    if (range.firstRow != range.lastRow || range.firstColumn != range.lastColumn) {
        address +=
            QStringLiteral(":$") + columnName(range.lastColumn) + u'$' + QString::number(range.lastRow);
    }
    return address;
}

} // namespace lbl::sheet
