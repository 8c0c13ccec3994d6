// labelprint-batch: the program's label data and output from the command line.
#include "data/RecordSet.h"
#include "data/WorkbookImport.h"
#include "data/WorkbookServer.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <exception>

namespace {

struct Command
{
    const char* name;
    const char* arguments;
    int argumentCount;
    int (*run)(const QStringList& arguments);
};

void write(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

// The text the window's error box shows: the message, with a full stop after a last character
// above '.'.
QString errorText(const QString& message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.') {
        return message + QLatin1Char('.');
    }
    return message;
}

QString escaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\t':
            out += QLatin1String("\\t");
            break;
        case u'\n':
            out += QLatin1String("\\n");
            break;
        case u'\r':
            out += QLatin1String("\\r");
            break;
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        default:
            out += c;
        }
    }
    return out;
}

int printRecords(const QStringList& arguments)
{
    lbl::data::RecordSet cdsMain(QStringLiteral("cdsMain"));
    if (lbl::data::importWorkbook(arguments.at(0), cdsMain, lbl::data::workbookServerFactory(),
                                  QLocale::system())
        == lbl::data::ImportOutcome::ServerNotFound) {
        write(stderr, lbl::data::serverNotFoundText() + QLatin1Char('\n'));
        return 1;
    }

    QStringList names;
    for (const lbl::data::FieldDef& def : cdsMain.fieldDefs()) {
        names << escaped(def.name);
    }
    QString out = names.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (cdsMain.first(); !cdsMain.eof(); cdsMain.next()) {
        QStringList values;
        for (qsizetype k = 0; k < cdsMain.fieldDefs().size(); ++k) {
            values << escaped(cdsMain.fieldText(k));
        }
        out += values.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    write(stdout, out);
    return 0;
}

const Command commands[] = {
    {"records", "WORKBOOK", 1, &printRecords},
};

int usage()
{
    QString text = QStringLiteral("usage:\n");
    for (const Command& command : commands) {
        text += QStringLiteral("  labelprint-batch %1 %2\n")
                    .arg(QLatin1String(command.name), QLatin1String(command.arguments));
    }
    write(stderr, text);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty()) {
        return usage();
    }
    const QString name = arguments.takeFirst();
    for (const Command& command : commands) {
        if (name != QLatin1String(command.name)) {
            continue;
        }
        if (arguments.size() != command.argumentCount) {
            return usage();
        }
        try {
            return command.run(arguments);
        } catch (const std::exception& e) {
            write(stderr, errorText(QString::fromUtf8(e.what())) + QLatin1Char('\n'));
            return 1;
        }
    }
    return usage();
}
