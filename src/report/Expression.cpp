// Splitting and resolving expression texts.
#include "report/Expression.h"

namespace lbl::report {

namespace {

// Reads `[alias."FIELD"]` or `[alias.FIELD]` from the inside of the brackets.
bool splitField(const QString& inside, QString& alias, QString& field)
{
    const qsizetype dot = inside.indexOf(QLatin1Char('.'));
    if (dot <= 0) {
        return false;
    }
    alias = inside.left(dot).trimmed();
    QString rest = inside.mid(dot + 1).trimmed();
    if (rest.size() >= 2 && rest.startsWith(QLatin1Char('"')) && rest.endsWith(QLatin1Char('"'))) {
        field = rest.mid(1, rest.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    } else {
        if (rest.contains(QLatin1Char('"'))) {
            return false;
        }
        field = rest;
    }
    return !alias.isEmpty() && !field.isEmpty();
}

} // namespace

Expression::Expression(const QString& text)
{
    QString literal;
    auto flushLiteral = [&] {
        if (!literal.isEmpty()) {
            m_pieces.append({Kind::Literal, literal, {}, {}});
            literal.clear();
        }
    };

    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('[')) {
            literal += c;
            ++i;
            continue;
        }
        if (i + 1 < n && text.at(i + 1) == QLatin1Char('[')) {
            literal += c;
            i += 2;
            continue;
        }
        // Find the closing bracket, skipping brackets inside a quoted field name.
        qsizetype j = i + 1;
        bool quoted = false;
        while (j < n && (quoted || text.at(j) != QLatin1Char(']'))) {
            if (text.at(j) == QLatin1Char('"')) {
                quoted = !quoted;
            }
            ++j;
        }
        if (j >= n) {
            m_syntaxErrors.append(QStringLiteral("Missing \"]\" in \"%1\"").arg(text));
            literal += text.mid(i);
            break;
        }
        flushLiteral();
        const QString inside = text.mid(i + 1, j - i - 1);
        const QString word = inside.trimmed();
        Piece piece;
        if (word.compare(QLatin1String("Page#"), Qt::CaseInsensitive) == 0) {
            piece.kind = Kind::PageNumber;
        } else if (word.compare(QLatin1String("TotalPages#"), Qt::CaseInsensitive) == 0) {
            piece.kind = Kind::TotalPages;
            m_usesTotalPages = true;
        } else if (word.compare(QLatin1String("Line#"), Qt::CaseInsensitive) == 0) {
            piece.kind = Kind::LineNumber;
        } else if (word.compare(QLatin1String("Date"), Qt::CaseInsensitive) == 0) {
            piece.kind = Kind::Date;
        } else if (word.compare(QLatin1String("Time"), Qt::CaseInsensitive) == 0) {
            piece.kind = Kind::Time;
        } else if (splitField(inside, piece.alias, piece.field)) {
            piece.kind = Kind::Field;
        } else {
            piece.kind = Kind::Invalid;
            m_syntaxErrors.append(QStringLiteral("Unknown expression \"[%1]\"").arg(inside));
        }
        m_constant = false;
        m_pieces.append(piece);
        i = j + 1;
    }
    flushLiteral();
}

QString Expression::evaluate(const ExpressionContext& context, ErrorList& errors) const
{
    for (const QString& e : m_syntaxErrors) {
        errors.add(e);
    }
    QString out;
    for (const Piece& piece : m_pieces) {
        switch (piece.kind) {
        case Kind::Literal:
            out += piece.text;
            break;
        case Kind::PageNumber:
            out += QString::number(context.page);
            break;
        case Kind::TotalPages:
            out += QString::number(context.totalPages);
            break;
        case Kind::LineNumber:
            out += QString::number(context.line);
            break;
        case Kind::Date:
            out += context.now.date().toString(QStringLiteral("yyyy-MM-dd"));
            break;
        case Kind::Time:
            out += context.now.time().toString(QStringLiteral("HH:mm:ss"));
            break;
        case Kind::Invalid:
            break;
        case Kind::Field: {
            const DataLink* link = context.links != nullptr ? context.links->find(piece.alias) : nullptr;
            if (link == nullptr) {
                errors.add(QStringLiteral("Unknown data set \"%1\"").arg(piece.alias));
                break;
            }
            data::RecordSet* set = link->recordSet();
            if (set == nullptr) {
                errors.add(QStringLiteral("%1: no data source").arg(link->alias()));
                break;
            }
            try {
                set->checkActive();
                const auto k = set->fieldIndex(piece.field);
                if (!k) {
                    errors.add(QStringLiteral("%1: field \"%2\" not found").arg(link->alias(), piece.field));
                    break;
                }
                if (!set->eof()) {
                    out += set->fieldText(*k);
                }
            } catch (const data::DataError& e) {
                errors.add(QString::fromUtf8(e.what()));
            }
            break;
        }
        }
    }
    return out;
}

QString evaluateText(const QString& text, const ExpressionContext& context, ErrorList& errors)
{
    return Expression(text).evaluate(context, errors);
}

} // namespace lbl::report
