// Page preparation: records through bands into pages of drawing commands with resolved texts.
#pragma once

#include "report/Barcode.h"
#include "report/DataLink.h"
#include "report/Report.h"

#include <QDateTime>
#include <QImage>
#include <QSizeF>
#include <QVector>

#include <functional>

namespace lbl::report {

/// One thing to draw. `boxMm` is relative to the page's top-left corner; texts and barcode data in
/// `content` are already resolved.
struct PreparedItem
{
    QRectF boxMm;
    ObjectContent content;
    /// Pictures: the decoded image (null when the data is no image).
    QImage image;
    /// Barcodes: the encoded symbol.
    BarcodeSymbol symbol;
};

struct PreparedPage
{
    QSizeF sizeMm;
    QVector<PreparedItem> items;
};

struct PreparedReport
{
    QVector<PreparedPage> pages;
};

struct PrepareOptions
{
    /// What [Date] and [Time] show.
    QDateTime now = QDateTime::currentDateTime();
};

/// Receives each prepared page, numbered from 0, with the total page count; returns false to
/// stop preparing.
using PageSink = std::function<bool(const PreparedPage& page, qsizetype index, qsizetype total)>;

/// Prepares `report` over the records the links lead to and hands each page to `sink` as soon as
/// it is complete, so only one page is held at a time. Returns the number of pages handed over.
///
/// Each page of the template is laid out in turn. Page-header bands stack from the top margin,
/// page-footer bands stack up from the bottom margin, and every master-data band is printed once
/// per record of its data set (once when it names none), filling the column between them
/// top-down, then the next label column, then a new page. A band that does not fit an empty
/// column is printed there all the same, cut off. On a page that grows with its content every
/// record starts a new page (a row of records, with label columns), whose height becomes at least
/// what its bands need. A template page whose master-data bands print no record gives no page;
/// one with no master-data band gives one page.
///
/// Data errors (unknown data set or field, a record set that was never created) and barcodes
/// that cannot be encoded are added to `errors`; the affected band prints no record, the affected
/// text is empty, the affected barcode paints nothing.
qsizetype preparePages(const Report& report, const DataLinks& links, ErrorList& errors, const PageSink& sink,
                       const PrepareOptions& options = {});

/// The number of pages preparePages() would give, without building them.
qsizetype countPages(const Report& report, const DataLinks& links, ErrorList& errors);

/// All pages at once, for the preview.
PreparedReport prepare(const Report& report, const DataLinks& links, ErrorList& errors,
                       const PrepareOptions& options = {});

} // namespace lbl::report
