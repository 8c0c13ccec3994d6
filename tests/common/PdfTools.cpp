// pdfinfo and pdftotext, parsed for tests.
#include "common/PdfTools.h"

#include <QProcess>
#include <QRegularExpression>

namespace lbl::test {

QString runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        return QString();
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

PdfFacts pdfInfo(const QString& path)
{
    PdfFacts facts;
    const QString info = runTool(QStringLiteral("pdfinfo"), {path});
    static const QRegularExpression pages(QStringLiteral(R"(^Pages:\s+(\d+)$)"),
                                          QRegularExpression::MultilineOption);
    static const QRegularExpression size(QStringLiteral(R"(^Page size:\s+([\d.]+) x ([\d.]+) pts)"),
                                         QRegularExpression::MultilineOption);
    const QRegularExpressionMatch p = pages.match(info);
    const QRegularExpressionMatch s = size.match(info);
    if (p.hasMatch()) {
        facts.pages = p.captured(1).toInt();
    }
    if (s.hasMatch()) {
        facts.sizePt = QSizeF(s.captured(1).toDouble(), s.captured(2).toDouble());
    }
    return facts;
}

QString pdfText(const QString& path, int page)
{
    QStringList arguments;
    if (page > 0) {
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
                  << QString::number(page);
    }
    arguments << path << QStringLiteral("-");
    return runTool(QStringLiteral("pdftotext"), arguments);
}

} // namespace lbl::test
