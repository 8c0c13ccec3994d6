// Slot selection, the three report modes and the print command.
#include "output/ReportRuns.h"

#include <QFileInfo>

namespace lbl::output {

namespace {

const QString section = QStringLiteral("LAB");

} // namespace

QString trimmedFileName(const QString& fileName)
{
    qsizetype begin = 0;
    qsizetype end = fileName.size();
    while (begin < end && fileName.at(begin).unicode() <= u' ') {
        ++begin;
    }
    while (end > begin && fileName.at(end - 1).unicode() <= u' ') {
        --end;
    }
    return fileName.mid(begin, end - begin);
}

void selectSlot(const OutputContext& context, const QString& slotKey)
{
    context.engine->dataLink().setSource(context.dsTmp);
    context.engine->loadFromFile(QString());
    const QString path = context.readSetting(section, slotKey, QString());
    if (!path.isEmpty() && QFileInfo::exists(path)) {
        context.engine->loadFromFile(path);
    }
    runReport(context, modePreview);
}

void runReport(const OutputContext& context, const QString& mode)
{
    preview::ReportEngine& engine = *context.engine;
    engine.setPrinterName(context.printerName());
    if (mode == modePrint) {
        engine.setShowPrintDialog(false);
        engine.print();
    } else if (mode == modePreview) {
        engine.setShowPrintDialog(true);
        engine.showPreview(context.pane);
    } else if (mode == modeDesign) {
        engine.setShowPrintDialog(false);
        context.design(engine);
    }
}

void printCommand(const OutputContext& context, const std::function<QString()>& mode,
                  const std::optional<QString>& currentSlotKey)
{
    context.engine->dataLink().setSource(context.dsMain);
    runReport(context, mode());
    const QString fileName = context.engine->report().fileName;
    if (mode() == modeDesign && currentSlotKey && !trimmedFileName(fileName).isEmpty()) {
        context.writeSetting(section, *currentSlotKey, fileName);
    }
    context.engine->dataLink().setSource(context.dsTmp);
}

} // namespace lbl::output
