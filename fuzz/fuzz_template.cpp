// Fuzz target: reads the input as a template, prepares it over two records and paints the first page.
#include "data/RecordSet.h"
#include "report/DataLink.h"
#include "report/Painter.h"
#include "report/Prepare.h"
#include "report/TemplateFile.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QGuiApplication* app = nullptr;
lbl::data::RecordSet* records = nullptr;
lbl::data::DataSource* source = nullptr;
lbl::report::DataLink* link = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app = new QGuiApplication(*argc, *argv);

    records = new lbl::data::RecordSet(QStringLiteral("records"));
    for (const char* name : {"SPMC00", "DJ0000", "TXM000"}) {
        lbl::data::FieldDef def;
        def.name = QString::fromLatin1(name);
        records->addFieldDef(def);
    }
    records->createDataSet();
    const QStringList rows[] = {
        {QStringLiteral("苹果"), QStringLiteral("3.50"), QStringLiteral("6901234567892")},
        {QStringLiteral("Pear"), QStringLiteral("12"), QStringLiteral("123456")}};
    for (const QStringList& row : rows) {
        records->append();
        for (qsizetype k = 0; k < row.size(); ++k) {
            records->setField(k, row.at(k));
        }
    }
    records->first();
    source = new lbl::data::DataSource(records);
    link = new lbl::report::DataLink(lbl::report::defaultDataSetAlias, source);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray xml(reinterpret_cast<const char*>(data), qsizetype(size));
    lbl::report::Report report;
    lbl::report::ErrorList errors;
    lbl::report::templateFromXml(xml, report, errors, QStringLiteral("input.lbt"));

    records->first();
    const lbl::report::DataLinks links{link};
    const lbl::report::PreparedReport prepared = lbl::report::prepare(report, links, errors);
    if (prepared.pages.isEmpty()) {
        return 0;
    }
    QImage image(160, 120, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    lbl::report::paintPage(painter, prepared.pages.first(), QRectF(0, 0, 160, 120), 96);
    return 0;
}
