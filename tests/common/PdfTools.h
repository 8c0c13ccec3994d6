// Reading printed PDFs in tests through poppler's command-line tools.
#pragma once

#include <QSizeF>
#include <QString>
#include <QStringList>

namespace lbl::test {

/// Standard output of `program` run with `arguments`; empty when it failed or took over a minute.
QString runTool(const QString& program, const QStringList& arguments);

struct PdfFacts
{
    int pages = 0;
    QSizeF sizePt; ///< the first page's size
};

/// Page count and page size from pdfinfo; zero pages when the file is no PDF.
PdfFacts pdfInfo(const QString& path);

/// The text of one page (1-based), or of the whole file when page is 0, from pdftotext.
QString pdfText(const QString& path, int page = 0);

} // namespace lbl::test
