// Neutral text of a cell value for comparisons: numbers %.15g, dates YYYY-MM-DD, times HH:MM:SS.
#pragma once

#include "sheet/Workbook.h"

#include <QDate>
#include <QStringList>
#include <QTime>

#include <cmath>

namespace lbl::sheet::test {

inline QString errorName(quint8 code)
{
    switch (code) {
    case 0x00:
        return "#NULL!";
    case 0x07:
        return "#DIV/0!";
    case 0x0F:
        return "#VALUE!";
    case 0x17:
        return "#REF!";
    case 0x1D:
        return "#NAME?";
    case 0x24:
        return "#NUM!";
    case 0x2A:
        return "#N/A";
    default:
        return QString("#%1").arg(code);
    }
}

/// {class, text}: class is empty, text, number, currency, date, datetime, time, bool or error.
inline QStringList canonical(const Cell& cell)
{
    const QDate epoch(1899, 12, 30);
    // Seconds only make sense for the date and time classes; other numbers may be far too large.
    const bool dated =
        cell.type == CellType::Date || cell.type == CellType::DateTime || cell.type == CellType::Time;
    const qint64 seconds = dated ? std::llround(cell.number * 86400.0) : 0;
    const qint64 days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    const QTime timeOfDay = QTime(0, 0).addSecs(int(seconds - days * 86400));
    switch (cell.type) {
    case CellType::Empty:
        return {"empty", ""};
    case CellType::Text:
        return {"text", cell.text};
    case CellType::Number:
        return {"number", QString::asprintf("%.15g", cell.number)};
    case CellType::Currency:
        return {"currency", QString::asprintf("%.15g", cell.number)};
    case CellType::Date:
        return {"date", epoch.addDays(qint64(std::floor(cell.number))).toString("yyyy-MM-dd")};
    case CellType::DateTime:
        return {"datetime", epoch.addDays(days).toString("yyyy-MM-dd ") + timeOfDay.toString("HH:mm:ss")};
    case CellType::Time:
        return {"time", timeOfDay.toString("HH:mm:ss")};
    case CellType::Boolean:
        return {"bool", cell.boolean ? "True" : "False"};
    case CellType::Error:
        return {"error", errorName(cell.errorCode)};
    }
    return {};
}

} // namespace lbl::sheet::test
