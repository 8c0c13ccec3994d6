// The import of a workbook's active sheet into the main record set.
#pragma once

#include "data/RecordSet.h"
#include "data/SpreadsheetServer.h"

#include <QLocale>
#include <QString>

namespace lbl::data {

enum class ImportOutcome {
    Imported,
    ServerNotFound, ///< the server could not be started; nothing has changed
};

/// The text shown, in a plain message box, for ImportOutcome::ServerNotFound.
QString serverNotFoundText();

/// Imports the active sheet of a workbook into cdsMain, which must be closed and without field
/// definitions. The first row of the used range names the fields (one per column, text of size 200);
/// every further row with at least one value (not empty, not an error value) becomes a record, in
/// row order; cells become text by valueText(). On success cdsMain is open and positioned at the
/// end; the last started record is settled at its next move to the first record.
///
/// Returns ServerNotFound when startServer throws or gives no server. Every other failure is
/// thrown: sheet::ImportError from opening the workbook or fetching its range, DataError from the
/// record set or from reading the fetched values (for a used range of a single cell:
/// "Invalid argument"). The server is told to quit on every exit after it started; the workbook is
/// closed (unchanged) only on success.
ImportOutcome importWorkbook(const QString& fileName, RecordSet& cdsMain, const ServerFactory& startServer,
                             const QLocale& locale = QLocale::system());

} // namespace lbl::data
