// PDF export through QPdfWriter onto a save file, so a cancelled run leaves nothing behind.
#include "report/PdfExport.h"

#include "report/Painter.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace lbl::report {

namespace {

QPageLayout exactLayout(const QSizeF& sizeMm)
{
    // A landscape label must stay landscape: a portrait page size turned by the orientation
    // gives the same MediaBox.
    const bool landscape = sizeMm.width() > sizeMm.height();
    const QSizeF portrait = landscape ? sizeMm.transposed() : sizeMm;
    const QPageSize pageSize(portrait, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    return QPageLayout(pageSize, landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

} // namespace

ExportResult exportPdf(const Report& report, const DataLinks& links, const QString& path, int dpi,
                       ErrorList& errors, const ExportProgress& progress, const PrepareOptions& options)
{
    Q_ASSERT(dpi > 0);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        errors.add(QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));
        return ExportResult::Failed;
    }
    QPdfWriter writer(&file);
    writer.setResolution(dpi);
    writer.setCreator(QStringLiteral("labelprint"));
    QPainter painter;
    bool cancelled = false;
    bool failed = false;

    const qsizetype pages = preparePages(
        report, links, errors,
        [&](const PreparedPage& page, qsizetype index, qsizetype total) {
            writer.setPageLayout(exactLayout(page.sizeMm));
            if (index == 0) {
                if (!painter.begin(&writer)) {
                    failed = true;
                    return false;
                }
            } else if (!writer.newPage()) {
                failed = true;
                return false;
            }
            const QRectF target(0, 0, page.sizeMm.width() / 25.4 * dpi, page.sizeMm.height() / 25.4 * dpi);
            paintPage(painter, page, target, dpi, dpi);
            if (progress && !progress(index + 1, total)) {
                cancelled = true;
                return false;
            }
            return true;
        },
        options);
    if (painter.isActive()) {
        painter.end();
    }
    if (cancelled) {
        file.cancelWriting();
        return ExportResult::Cancelled;
    }
    if (failed || pages == 0) {
        file.cancelWriting();
        errors.add(pages == 0 ? QStringLiteral("There are no pages to export")
                              : QStringLiteral("Cannot write PDF file \"%1\"").arg(path));
        return ExportResult::Failed;
    }
    if (!file.commit()) {
        errors.add(QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));
        return ExportResult::Failed;
    }
    return ExportResult::Written;
}

} // namespace lbl::report
