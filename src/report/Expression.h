// Texts with [..] expressions: data fields, page and line numbers, date and time.
#pragma once

#include "report/DataLink.h"
#include "report/Report.h"

#include <QDateTime>
#include <QString>
#include <QVector>

namespace lbl::report {

/// What an expression can refer to while one band is being printed.
struct ExpressionContext
{
    const DataLinks* links = nullptr;
    qsizetype page = 1;       ///< [Page#], from 1
    qsizetype totalPages = 1; ///< [TotalPages#]
    qsizetype line = 1;       ///< [Line#]: the record's number within its band's pass, from 1
    QDateTime now;            ///< [Date] as yyyy-MM-dd, [Time] as HH:mm:ss
};

/// A text split once into literal pieces and expressions, then resolved per record.
///
/// `[alias."FIELD"]` and `[alias.FIELD]` are fields (alias and field compared without regard to
/// case; inside the quotes `""` stands for one quote). `[Page#]`, `[TotalPages#]`, `[Line#]`,
/// `[Date]` and `[Time]` are built in. `[[` gives a literal `[`; a `]` outside brackets is literal.
class Expression
{
public:
    explicit Expression(const QString& text = {});

    /// Problems found while splitting (an unknown or unterminated expression); each resolves to
    /// empty text, or to the rest of the text taken literally when unterminated.
    const QStringList& syntaxErrors() const { return m_syntaxErrors; }
    bool usesTotalPages() const { return m_usesTotalPages; }
    bool isConstant() const { return m_constant; }

    /// The resolved text. Unknown aliases and fields, closed record sets and the syntax errors are
    /// added to `errors`; those expressions give empty text.
    QString evaluate(const ExpressionContext& context, ErrorList& errors) const;

private:
    enum class Kind { Literal, Field, PageNumber, TotalPages, LineNumber, Date, Time, Invalid };
    struct Piece
    {
        Kind kind = Kind::Literal;
        QString text; ///< Literal: the text
        QString alias;
        QString field;
    };

    QVector<Piece> m_pieces;
    QStringList m_syntaxErrors;
    bool m_usesTotalPages = false;
    bool m_constant = true;
};

/// Shorthand: splits and resolves `text` in one go.
QString evaluateText(const QString& text, const ExpressionContext& context, ErrorList& errors);

} // namespace lbl::report
