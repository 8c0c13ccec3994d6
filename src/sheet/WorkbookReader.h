// Reads the BIFF5/BIFF8 records of a workbook stream into sheets of stored cells.
#pragma once

#include "sheet/StoredSheet.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace lbl::sheet {

struct WorkbookContents
{
    std::vector<std::unique_ptr<StoredSheet>> sheets; ///< never empty
    qsizetype activeSheet = 0;                        ///< a valid index into sheets
};

/// Reads the stream "Workbook" (BIFF8) or "Book" (BIFF5). `fileName` only names the file in errors.
/// Throws ImportError for a password-protected, damaged or sheetless workbook.
WorkbookContents readWorkbookStream(const QByteArray& stream, const QString& fileName);

} // namespace lbl::sheet
