// What a cell's number format makes of its number: a plain number, currency, a date, a time or both.
#pragma once

#include <QStringView>

namespace lbl::sheet {

enum class FormatClass { Number, Currency, Date, DateTime, Time };

/// Classifies a format string such as "yyyy-mm-dd", "[$-804]h:mm" or "\"$\"#,##0.00".
/// Date and time parts count only outside quoted literals, escapes and bracketed sections, so
/// 0.00"d" is a Number. "m" is minutes next to hours or seconds, otherwise the month. A format with
/// date and time parts is DateTime; a currency symbol (bare, quoted, escaped or in [$sym-lcid])
/// makes Currency unless the format shows date or time parts.
FormatClass classifyFormat(QStringView format);

/// Class of a built-in format number, used when the workbook does not spell that format out.
/// Unknown numbers are Number.
FormatClass builtinFormatClass(int formatIndex);

} // namespace lbl::sheet
