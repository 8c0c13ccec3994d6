// PDF export: prepared pages written page by page, each the template's exact size.
#pragma once

#include "report/DataLink.h"
#include "report/Prepare.h"
#include "report/Report.h"

#include <QString>

#include <functional>

namespace lbl::report {

/// Told after each page with the pages done and the total; returns false to cancel.
using ExportProgress = std::function<bool(qsizetype done, qsizetype total)>;

enum class ExportResult { Written, Cancelled, Failed };

/// Prepares `report` and writes one PDF page per prepared page to `path`, each page the prepared
/// size in mm with no margins (Qt's PDF engine rounds page sizes to whole points, at most 0.18 mm), painted
/// at `dpi` (the printer's resolution, so barcode bars fall on its dots). Pages are prepared and painted one
/// at a time. The file appears only when complete: a cancelled or failed export leaves whatever was at `path`
/// untouched. Preparation errors are added to `errors` and do not stop the export; Failed (with the reason
/// added to `errors`) when the file cannot be written or there is no page to write.
ExportResult exportPdf(const Report& report, const DataLinks& links, const QString& path, int dpi,
                       ErrorList& errors, const ExportProgress& progress = {},
                       const PrepareOptions& options = {});

} // namespace lbl::report
