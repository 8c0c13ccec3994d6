// labelprint-batch: the program's label data and output from the command line.
#include "data/RecordSet.h"
#include "data/WorkbookImport.h"
#include "data/WorkbookServer.h"
#include "preview/MessageBoxes.h"
#include "preview/ReportEngine.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMap>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>

namespace {

struct Command
{
    const char* name;
    const char* arguments;
    int minArguments;
    int maxArguments;
    int (*run)(const QStringList& arguments);
    /// Painting labels needs fonts, so a GUI application (offscreen without a display).
    bool needsGui;
};

constexpr int renderDpi = 300;

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

// The engine's boxes, written to stderr instead; any box makes the run fail.
class StderrBoxes : public lbl::preview::MessageBoxes
{
public:
    void showError(const QString&, const QString& text) override { say(errorText(text)); }
    void showPlain(const QString&, const QString& text) override { say(text); }
    void showEngineErrors(const QString&, const QStringList& errors) override
    {
        say(lbl::preview::engineErrorHeading() + QLatin1Char('\n') + errors.join(QLatin1Char('\n')));
    }
    Answer ask(const QString&, const QString& text) override
    {
        say(text);
        return Answer::Cancel;
    }
    bool anyShown() const { return m_shown; }

private:
    void say(const QString& text)
    {
        m_shown = true;
        write(stderr, text + QLatin1Char('\n'));
    }

    bool m_shown = false;
};

// What render and print share: the workbook imported as start-up does, bound as the window binds
// it for printing, and the template loaded.
struct Run
{
    lbl::data::RecordSet cdsMain{QStringLiteral("cdsMain")};
    lbl::data::DataSource dsMain{&cdsMain};
    StderrBoxes boxes;
    lbl::preview::ReportEngine engine{boxes};
};

std::unique_ptr<Run> startRun(const QString& templatePath, const QString& workbookPath)
{
    auto run = std::make_unique<Run>();
    if (lbl::data::importWorkbook(workbookPath, run->cdsMain, lbl::data::workbookServerFactory(),
                                  QLocale::system())
        == lbl::data::ImportOutcome::ServerNotFound) {
        write(stderr, lbl::data::serverNotFoundText() + QLatin1Char('\n'));
        return nullptr;
    }
    run->engine.setProgressWindows(false);
    run->engine.dataLink().setSource(&run->dsMain);
    run->engine.loadFromFile(templatePath);
    return run;
}

// Splits TEMPLATE WORKBOOK and "--name value" options; false on anything else.
bool parseOptions(const QStringList& arguments, const QStringList& known, QStringList& positional,
                  QMap<QString, QString>& options)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (known.contains(argument)) {
            if (i + 1 >= arguments.size() || options.contains(argument)) {
                return false;
            }
            options.insert(argument, arguments.at(++i));
        } else if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            return false;
        } else {
            positional << argument;
        }
    }
    return positional.size() == 2;
}

int usage(const char* only = nullptr);

int renderLabels(const QStringList& arguments)
{
    QStringList positional;
    QMap<QString, QString> options;
    if (!parseOptions(arguments, {QStringLiteral("-o"), QStringLiteral("--dpi")}, positional, options)
        || !options.contains(QStringLiteral("-o"))) {
        return usage("render");
    }
    int dpi = renderDpi;
    if (options.contains(QStringLiteral("--dpi"))) {
        bool ok = false;
        dpi = options.value(QStringLiteral("--dpi")).toInt(&ok);
        if (!ok || dpi <= 0) {
            write(
                stderr,
                QStringLiteral("Not a resolution in dpi: %1\n").arg(options.value(QStringLiteral("--dpi"))));
            return 1;
        }
    }
    const std::unique_ptr<Run> run = startRun(positional.at(0), positional.at(1));
    if (!run) {
        return 1;
    }
    const bool written = run->engine.exportPdf(options.value(QStringLiteral("-o")), dpi);
    return written && !run->boxes.anyShown() ? 0 : 1;
}

int printLabels(const QStringList& arguments)
{
    QStringList positional;
    QMap<QString, QString> options;
    if (!parseOptions(arguments, {QStringLiteral("--printer")}, positional, options)) {
        return usage("print");
    }
    const std::unique_ptr<Run> run = startRun(positional.at(0), positional.at(1));
    if (!run) {
        return 1;
    }
    run->engine.setPrinterName(options.value(QStringLiteral("--printer")));
    run->engine.setShowPrintDialog(false);
    run->engine.print();
    return run->boxes.anyShown() ? 1 : 0;
}

const Command commands[] = {
    {"records", "WORKBOOK", 1, 1, &printRecords, false},
    {"render", "TEMPLATE WORKBOOK -o OUT.pdf [--dpi N]", 4, 6, &renderLabels, true},
    {"print", "TEMPLATE WORKBOOK [--printer NAME]", 2, 4, &printLabels, true},
};

// All commands, or only the one named.
int usage(const char* only)
{
    QString text = QStringLiteral("usage:\n");
    for (const Command& command : commands) {
        if (only != nullptr && std::strcmp(only, command.name) != 0) {
            continue;
        }
        text += QStringLiteral("  labelprint-batch %1 %2\n")
                    .arg(QLatin1String(command.name), QLatin1String(command.arguments));
    }
    write(stderr, text);
    return 2;
}

} // namespace

// Scripts read standard error for the tool's own errors: Qt's chatter (a missing runtime folder, font
// hints) stays out of it; only its critical and fatal messages get through.
static void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

int main(int argc, char** argv)
{
    qInstallMessageHandler(quietQtMessages);
    bool gui = false;
    for (const Command& command : commands) {
        gui = gui || (argc > 1 && std::strcmp(argv[1], command.name) == 0 && command.needsGui);
    }
    if (gui && std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr
        && std::getenv("WAYLAND_DISPLAY") == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    std::unique_ptr<QCoreApplication> app =
        gui ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty()) {
        return usage();
    }
    const QString name = arguments.takeFirst();
    for (const Command& command : commands) {
        if (name != QLatin1String(command.name)) {
            continue;
        }
        if (arguments.size() < command.minArguments || arguments.size() > command.maxArguments) {
            return usage(command.name);
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
