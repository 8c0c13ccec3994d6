// The text a workbook cell value becomes in a record set.
#pragma once

#include "sheet/Workbook.h"

#include <QLocale>
#include <QString>

#include <optional>

namespace lbl::data {

/// The text of a cell value:
/// - text unchanged;
/// - a number in general format: at most 15 significant digits, trailing zeros dropped, the locale's
///   decimal separator, no thousands separator, exponent form ("1.5E-6", "1.23456789012346E17")
///   when the magnitude is at least 10^15 or below 0.00001;
/// - currency as its number rounded to four decimals, trailing zeros dropped;
/// - dates, date-times and times with the locale's QLocale::ShortFormat date and time formats: the
///   date alone when the time is midnight, the time alone when the date part is 0 (1899-12-30),
///   otherwise the date, a space and the time;
/// - booleans "True" or "False".
/// Empty cells and error values have no text: std::nullopt.
std::optional<QString> valueText(const sheet::Cell& cell, const QLocale& locale);

/// The text of a header cell, which names a field: like valueText(), an empty cell giving "".
/// Throws DataError "Could not convert variant of type (Error) into type (String)" for an error value.
QString headerText(const sheet::Cell& cell, const QLocale& locale);

/// A number in the general format valueText() describes.
QString numberText(double value, const QLocale& locale);

} // namespace lbl::data
