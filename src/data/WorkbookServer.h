// The spreadsheet server of this program: workbooks read by lbl::sheet.
#pragma once

#include "data/SpreadsheetServer.h"

#include <memory>

namespace lbl::data {

/// A server that opens workbooks with sheet::Workbook::open. A reference the active sheet cannot
/// parse is refused with sheet::ImportError.
std::unique_ptr<SpreadsheetServer> startWorkbookServer();

/// The factory the program passes to importWorkbook(): startWorkbookServer.
ServerFactory workbookServerFactory();

} // namespace lbl::data
