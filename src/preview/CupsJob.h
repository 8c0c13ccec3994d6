// Sending a finished PDF to a CUPS queue and following the job, so a refused or failed job is not success.
#pragma once

#include <QSizeF>
#include <QString>

#include <chrono>

namespace lbl::preview {

/// The outcome of submitPdf().
struct PrintResult
{
    bool ok = false;        ///< the job was accepted and, as far as it was followed, did not fail
    QString error;          ///< why not, in English, naming the printer and CUPS's reason; empty when ok
    int jobId = 0;          ///< the CUPS job id, 0 when no job was created
    bool completed = false; ///< the job was seen to complete within the wait
};

/// The CUPS media option for a page of `pageMm` (width x height in millimetres), e.g.
/// "Custom.50x40mm" or "Custom.34.9x17mm": at most two decimals, no trailing zeros, '.' as separator.
QString mediaOption(QSizeF pageMm);

/// Prints the PDF file at `pdfPath` on the CUPS queue `printer` (its exact name), as `copies` copies of
/// pages of `pageMm`, under the job title `title`. Refuses before sending anything when the file
/// cannot be read, the server cannot be reached, the printer does not exist, does not accept jobs or is
/// stopped. Then follows the job for up to `waitForCompletion` (0: not at all): a job that is canceled,
/// aborted, stopped or completed with errors (a failed filter), or that waits on a printer that stopped
/// meanwhile, is an error. A job still pending or printing when the wait ends counts as ok, not
/// completed. Never throws.
PrintResult submitPdf(const QString& printer, const QString& pdfPath, const QString& title, QSizeF pageMm,
                      int copies, std::chrono::milliseconds waitForCompletion);

} // namespace lbl::preview
