// A private CUPS scheduler for one test run.
#include "common/CupsServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <cups/cups.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lbl::test {

namespace {

// The cups-pdf backend reads its configuration from the folder it was built with, not from the
// scheduler's ServerRoot; a device URI "cups-pdf:/KEY" makes it read cups-pdf-KEY.conf there.
const QString pdfConfigDir = QStringLiteral("/etc/cups");
const QString pdfConfigPrefix = QStringLiteral("cups-pdf-lbltest");

QString findCupsd()
{
    QString path = QStandardPaths::findExecutable(QStringLiteral("cupsd"));
    if (path.isEmpty()) {
        path = QStandardPaths::findExecutable(QStringLiteral("cupsd"),
                                              {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    }
    return path;
}

QString findTool(const QString& name)
{
    QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty()) {
        path =
            QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
    }
    return path.isEmpty() ? name : path;
}

// Filters and the file device run as user lp, so every folder they write to must belong to lp.
bool giveToLp(const QString& path)
{
    const passwd* lp = ::getpwnam("lp");
    if (lp == nullptr) {
        return ::chmod(QFile::encodeName(path).constData(), 0777) == 0;
    }
    return ::chown(QFile::encodeName(path).constData(), lp->pw_uid, lp->pw_gid) == 0
           && ::chmod(QFile::encodeName(path).constData(), 0755) == 0;
}

QByteArray ppdText(const QByteArray& nickName, const QByteArray& filter, int dpi, CupsServer::Resolution how)
{
    QByteArray text = "*PPD-Adobe: \"4.3\"\n"
                      "*FormatVersion: \"4.3\"\n"
                      "*FileVersion: \"1.0\"\n"
                      "*LanguageVersion: English\n"
                      "*LanguageEncoding: ISOLatin1\n"
                      "*PCFileName: \"LBLTEST.PPD\"\n"
                      "*Manufacturer: \"labelprint\"\n"
                      "*Product: \"("
                      + nickName
                      + ")\"\n"
                        "*ModelName: \""
                      + nickName
                      + "\"\n"
                        "*ShortNickName: \""
                      + nickName
                      + "\"\n"
                        "*NickName: \""
                      + nickName
                      + "\"\n"
                        "*PSVersion: \"(3010.000) 0\"\n"
                        "*LanguageLevel: \"3\"\n"
                        "*ColorDevice: False\n"
                        "*DefaultColorSpace: Gray\n"
                        "*FileSystem: False\n"
                        "*Throughput: \"1\"\n"
                        "*LandscapeOrientation: Plus90\n"
                        "*TTRasterizer: Type42\n"
                        "*cupsVersion: 2.4\n"
                        "*cupsManualCopies: True\n"
                        "*cupsFilter2: \"application/vnd.cups-pdf application/pdf 0 "
                      + filter + "\"\n";
    const QByteArray res = QByteArray::number(dpi) + "dpi";
    if (how == CupsServer::Resolution::Option) {
        text += "*OpenUI *Resolution/Resolution: PickOne\n"
                "*OrderDependency: 10 AnySetup *Resolution\n"
                "*DefaultResolution: "
                + res
                + "\n"
                  "*Resolution "
                + res + "/" + res
                + ": \"\"\n"
                  "*CloseUI: *Resolution\n";
    } else if (how == CupsServer::Resolution::Keyword) {
        text += "*DefaultResolution: " + res + "\n";
    }
    text += "*HWMargins: 0 0 0 0\n"
            "*VariablePaperSize: True\n"
            "*MaxMediaWidth: 2000\n"
            "*MaxMediaHeight: 2000\n"
            "*CustomPageSize True: \"\"\n"
            "*ParamCustomPageSize Width: 1 points 1 2000\n"
            "*ParamCustomPageSize Height: 2 points 1 2000\n"
            "*ParamCustomPageSize WidthOffset: 3 points 0 0\n"
            "*ParamCustomPageSize HeightOffset: 4 points 0 0\n"
            "*ParamCustomPageSize Orientation: 5 int 0 0\n"
            "*OpenUI *PageSize/Media Size: PickOne\n"
            "*OrderDependency: 10 AnySetup *PageSize\n"
            "*DefaultPageSize: w142h113\n"
            "*PageSize w142h113/50 x 40 mm: \"\"\n"
            "*CloseUI: *PageSize\n"
            "*OpenUI *PageRegion: PickOne\n"
            "*OrderDependency: 10 AnySetup *PageRegion\n"
            "*DefaultPageRegion: w142h113\n"
            "*PageRegion w142h113/50 x 40 mm: \"\"\n"
            "*CloseUI: *PageRegion\n"
            "*DefaultImageableArea: w142h113\n"
            "*ImageableArea w142h113/50 x 40 mm: \"0 0 141.73 113.39\"\n"
            "*DefaultPaperDimension: w142h113\n"
            "*PaperDimension w142h113/50 x 40 mm: \"141.73 113.39\"\n";
    return text;
}

bool validQueueName(const QString& name)
{
    if (name.isEmpty() || name.size() > 100) {
        return false;
    }
    for (const QChar c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('_') && c != QLatin1Char('-')) {
            return false;
        }
    }
    return true;
}

} // namespace

CupsServer::CupsServer()
{
    m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
    // A test that crashes must not leave its scheduler running.
    m_cupsd.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

CupsServer::~CupsServer()
{
    stop();
    m_dir.reset();
    if (m_envTaken) {
        if (m_savedHaveServer) {
            qputenv("CUPS_SERVER", m_savedServer);
        } else {
            qunsetenv("CUPS_SERVER");
        }
        if (m_savedHaveHome) {
            qputenv("HOME", m_savedHome);
        } else {
            qunsetenv("HOME");
        }
        cupsSetServer(nullptr);
    }
}

bool CupsServer::available()
{
    return !findCupsd().isEmpty();
}

QString CupsServer::rootPath() const
{
    return m_dir ? m_dir->path() : QString();
}

bool CupsServer::isRunning() const
{
    return m_cupsd.state() == QProcess::Running;
}

bool CupsServer::start()
{
    stop();
    m_error.clear();
    const QString cupsd = findCupsd();
    if (cupsd.isEmpty()) {
        m_error = QStringLiteral("cupsd is not installed");
        return false;
    }
    removeStalePdfConfigs();

    // A domain socket path must stay short, so the folder goes to /tmp when TMPDIR is deep.
    QString base = QDir::tempPath();
    if (base.size() > 60) {
        base = QStringLiteral("/tmp");
    }
    m_dir = std::make_unique<QTemporaryDir>(base + QStringLiteral("/lbl-cups-XXXXXX"));
    if (!m_dir->isValid()) {
        m_error = QStringLiteral("cannot create a temporary folder: ") + m_dir->errorString();
        return false;
    }
    const QString root = m_dir->path();
    // QTemporaryDir makes 0700, which keeps the filters (user lp) out: "Filter failed".
    ::chmod(QFile::encodeName(root).constData(), 0755);
    for (const char* sub :
         {"etc", "etc/ppd", "spool", "spool/tmp", "cache", "state", "log", "out", "home", "ppd"}) {
        if (!QDir().mkpath(root + QLatin1Char('/') + QLatin1String(sub))) {
            m_error = QStringLiteral("cannot create %1/%2").arg(root, QLatin1String(sub));
            return false;
        }
    }
    if (!giveToLp(root + QStringLiteral("/out"))) {
        m_error = QStringLiteral("cannot hand the output folder to user lp");
        return false;
    }
    m_socketPath = root + QStringLiteral("/cups.sock");
    m_key = QString::number(QRandomGenerator::global()->generate(), 16);

    const QByteArray r = QFile::encodeName(root);
    const QByteArray cupsdConf =
        "Listen " + QFile::encodeName(m_socketPath)
        + "\n"
          "LogLevel debug\n"
          "Browsing No\n"
          "WebInterface No\n"
          "DefaultAuthType None\n"
          "JobRetryLimit 0\n"
          "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
          "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n";
    const QByteArray filesConf = "ServerRoot " + r
                                 + "/etc\n"
                                   "RequestRoot "
                                 + r
                                 + "/spool\n"
                                   "CacheDir "
                                 + r
                                 + "/cache\n"
                                   "StateDir "
                                 + r
                                 + "/state\n"
                                   "TempDir "
                                 + r
                                 + "/spool/tmp\n"
                                   "AccessLog "
                                 + r
                                 + "/log/access_log\n"
                                   "ErrorLog "
                                 + r
                                 + "/log/error_log\n"
                                   "PageLog "
                                 + r
                                 + "/log/page_log\n"
                                   "FileDevice Yes\n"
                                   "SystemGroup root\n";
    if (!writeFile(root + QStringLiteral("/etc/cupsd.conf"), cupsdConf)
        || !writeFile(root + QStringLiteral("/etc/cups-files.conf"), filesConf)) {
        return false;
    }

    if (!m_envTaken) {
        m_savedHaveServer = qEnvironmentVariableIsSet("CUPS_SERVER");
        m_savedServer = qgetenv("CUPS_SERVER");
        m_savedHaveHome = qEnvironmentVariableIsSet("HOME");
        m_savedHome = qgetenv("HOME");
        m_envTaken = true;
    }
    qputenv("CUPS_SERVER", QFile::encodeName(m_socketPath));
    qputenv("HOME", r + "/home");
    qunsetenv("LPDEST");
    qunsetenv("PRINTER");
    // libcups remembers the server and its connection per thread; make it read the variable again.
    cupsSetServer(nullptr);

    m_cupsd.start(cupsd,
                  {QStringLiteral("-f"), QStringLiteral("-c"), root + QStringLiteral("/etc/cupsd.conf"),
                   QStringLiteral("-s"), root + QStringLiteral("/etc/cups-files.conf")});
    if (!m_cupsd.waitForStarted(10000)) {
        m_error = QStringLiteral("cannot start cupsd: ") + m_cupsd.errorString();
        return false;
    }
    if (!waitUntilAnswering(std::chrono::seconds(15))) {
        m_error = QStringLiteral("cupsd does not answer on %1: %2\n%3")
                      .arg(m_socketPath, QString::fromLocal8Bit(m_cupsd.readAll()), logTail());
        stop();
        return false;
    }
    return true;
}

bool CupsServer::waitUntilAnswering(std::chrono::milliseconds timeout)
{
    QElapsedTimer timer;
    timer.start();
    const QByteArray socket = QFile::encodeName(m_socketPath);
    while (timer.elapsed() < timeout.count()) {
        if (m_cupsd.state() != QProcess::Running) {
            return false;
        }
        if (QFileInfo::exists(m_socketPath)) {
            http_t* http = httpConnect2(socket.constData(), 0, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1,
                                        1000, nullptr);
            if (http != nullptr) {
                ipp_t* response = cupsDoRequest(http, ippNewRequest(IPP_OP_CUPS_GET_PRINTERS), "/");
                const bool ok = cupsLastError() <= IPP_STATUS_OK_CONFLICTING
                                || cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND;
                ippDelete(response);
                httpClose(http);
                if (ok) {
                    return true;
                }
            }
        }
        m_cupsd.waitForFinished(50);
    }
    return false;
}

void CupsServer::stop()
{
    if (m_cupsd.state() != QProcess::NotRunning) {
        m_cupsd.terminate();
        if (!m_cupsd.waitForFinished(15000)) {
            m_cupsd.kill();
            m_cupsd.waitForFinished(5000);
        }
    }
    removePdfConfigs();
    cupsSetServer(nullptr);
}

bool CupsServer::writeFile(const QString& path, const QByteArray& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size()) {
        m_error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    file.close();
    ::chmod(QFile::encodeName(path).constData(), 0644);
    return true;
}

bool CupsServer::run(const QString& program, const QStringList& arguments)
{
    if (!isRunning()) {
        m_error = QStringLiteral("the private cupsd is not running");
        return false;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(findTool(program), arguments);
    if (!process.waitForFinished(30000)) {
        m_error = QStringLiteral("%1 did not finish: %2").arg(program, process.errorString());
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        m_error = QStringLiteral("%1 %2 failed (exit %3): %4")
                      .arg(program, arguments.join(QLatin1Char(' ')))
                      .arg(process.exitCode())
                      .arg(QString::fromLocal8Bit(process.readAll()));
        return false;
    }
    return true;
}

QString CupsServer::outputDir(const QString& queue) const
{
    return rootPath() + QStringLiteral("/out/") + queue;
}

bool CupsServer::addQueue(const QString& name, const QString& deviceUri, const QString& ppdPath)
{
    if (!validQueueName(name)) {
        m_error = QStringLiteral("bad queue name \"%1\"").arg(name);
        return false;
    }
    // -E must follow -p, or it asks for encryption instead of enabling the queue.
    return run(QStringLiteral("lpadmin"), {QStringLiteral("-p"), name, QStringLiteral("-E"),
                                           QStringLiteral("-v"), deviceUri, QStringLiteral("-P"), ppdPath});
}

bool CupsServer::addPdfQueue(const QString& name)
{
    if (!isRunning()) {
        m_error = QStringLiteral("the private cupsd is not running");
        return false;
    }
    if (!validQueueName(name)) {
        m_error = QStringLiteral("bad queue name \"%1\"").arg(name);
        return false;
    }
    const QString ppd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
    if (!QFileInfo::exists(ppd)) {
        m_error = QStringLiteral("cups-pdf is not installed (package printer-driver-cups-pdf)");
        return false;
    }
    const QString dir = outputDir(name);
    const QString spool = rootPath() + QStringLiteral("/spool/cups-pdf-") + name;
    if (!QDir().mkpath(dir) || !giveToLp(dir) || !QDir().mkpath(spool)) {
        m_error = QStringLiteral("cannot create %1").arg(dir);
        return false;
    }
    QString key = m_key + QLatin1Char('x') + name;
    key.remove(QLatin1Char('-'));
    key.remove(QLatin1Char('_'));
    const QString config = pdfConfigDir + QLatin1Char('/') + pdfConfigPrefix + key + QStringLiteral(".conf");
    const QByteArray text = "Out " + QFile::encodeName(dir)
                            + "\n"
                              "AnonDirName "
                            + QFile::encodeName(dir)
                            + "\n"
                              "Spool "
                            + QFile::encodeName(spool)
                            + "\n"
                              "Log "
                            + QFile::encodeName(rootPath())
                            + "/log\n"
                              "LogType 3\n"
                              "Grp root\n";
    if (!writeFile(config, text)) {
        m_error += QStringLiteral(" (cups-pdf reads its per-queue configuration only there)");
        return false;
    }
    m_pdfConfigs.append(config);
    return addQueue(name, QStringLiteral("cups-pdf:/lbltest") + key, ppd);
}

bool CupsServer::addFileQueue(const QString& name, int dpi, Resolution how)
{
    if (!isRunning()) {
        m_error = QStringLiteral("the private cupsd is not running");
        return false;
    }
    const QString dir = outputDir(name);
    const QString ppd = rootPath() + QStringLiteral("/ppd/") + name + QStringLiteral(".ppd");
    if (!validQueueName(name) || !QDir().mkpath(dir) || !giveToLp(dir)) {
        m_error = QStringLiteral("cannot prepare queue \"%1\"").arg(name);
        return false;
    }
    // "-" after pdftopdf: the page goes to the device as PDF, readable by pdftotext.
    if (!writeFile(ppd, ppdText("labelprint test PDF", "-", dpi, how))) {
        return false;
    }
    return addQueue(name, QStringLiteral("file://") + dir + QStringLiteral("/output.pdf"), ppd);
}

bool CupsServer::addRawQueue(const QString& name)
{
    if (!validQueueName(name)) {
        m_error = QStringLiteral("bad queue name \"%1\"").arg(name);
        return false;
    }
    return run(QStringLiteral("lpadmin"),
               {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                QStringLiteral("file:///dev/null"), QStringLiteral("-m"), QStringLiteral("raw")});
}

bool CupsServer::addFailingQueue(const QString& name)
{
    if (!isRunning()) {
        m_error = QStringLiteral("the private cupsd is not running");
        return false;
    }
    const QString dir = outputDir(name);
    const QString ppd = rootPath() + QStringLiteral("/ppd/") + name + QStringLiteral(".ppd");
    if (!validQueueName(name) || !QDir().mkpath(dir) || !giveToLp(dir)) {
        m_error = QStringLiteral("cannot prepare queue \"%1\"").arg(name);
        return false;
    }
    if (!writeFile(ppd, ppdText("labelprint test failing filter", "/bin/false", 203, Resolution::Option))) {
        return false;
    }
    return addQueue(name, QStringLiteral("file://") + dir + QStringLiteral("/output.pdf"), ppd);
}

bool CupsServer::setDefault(const QString& name)
{
    return run(QStringLiteral("lpadmin"), {QStringLiteral("-d"), name});
}

bool CupsServer::disable(const QString& name, const QString& reason)
{
    return run(QStringLiteral("cupsdisable"), {QStringLiteral("-r"), reason, name});
}

bool CupsServer::reject(const QString& name, const QString& reason)
{
    return run(QStringLiteral("cupsreject"), {QStringLiteral("-r"), reason, name});
}

bool CupsServer::remove(const QString& name)
{
    return run(QStringLiteral("lpadmin"), {QStringLiteral("-x"), name});
}

QStringList CupsServer::outputFiles(const QString& queue) const
{
    QStringList files;
    if (!m_dir) {
        return files;
    }
    const QFileInfoList infos =
        QDir(outputDir(queue)).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Time | QDir::Reversed);
    for (const QFileInfo& info : infos) {
        if (info.size() > 0) {
            files.append(info.absoluteFilePath());
        }
    }
    return files;
}

bool CupsServer::waitForJobs(std::chrono::milliseconds timeout)
{
    QElapsedTimer timer;
    timer.start();
    const QByteArray socket = QFile::encodeName(m_socketPath);
    while (true) {
        http_t* http =
            httpConnect2(socket.constData(), 0, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1, 1000, nullptr);
        if (http == nullptr) {
            m_error = QStringLiteral("the private cupsd does not answer");
            return false;
        }
        cups_job_t* jobs = nullptr;
        const int count = cupsGetJobs2(http, &jobs, nullptr, 0, CUPS_WHICHJOBS_ACTIVE);
        bool busy = false;
        for (int i = 0; i < count && !busy; ++i) {
            if (jobs[i].state == IPP_JSTATE_PROCESSING) {
                busy = true;
            } else if (jobs[i].state == IPP_JSTATE_PENDING) {
                cups_dest_t* dest = cupsGetNamedDest(http, jobs[i].dest, nullptr);
                const char* state =
                    dest ? cupsGetOption("printer-state", dest->num_options, dest->options) : nullptr;
                busy = state == nullptr || QByteArray(state) != QByteArray::number(IPP_PSTATE_STOPPED);
                cupsFreeDests(dest ? 1 : 0, dest);
            }
        }
        cupsFreeJobs(count, jobs);
        httpClose(http);
        if (!busy) {
            return true;
        }
        if (timer.elapsed() >= timeout.count()) {
            m_error = QStringLiteral("jobs still busy after %1 ms\n%2").arg(timeout.count()).arg(logTail());
            return false;
        }
        QThread::msleep(100);
    }
}

QString CupsServer::logTail() const
{
    QFile log(rootPath() + QStringLiteral("/log/error_log"));
    if (!log.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray all = log.readAll();
    QList<QByteArray> lines;
    for (const QByteArray& line : all.split('\n')) {
        if (line.startsWith("E ") || line.startsWith("W ")) {
            lines.append(line);
        }
    }
    while (lines.size() > 20) {
        lines.removeFirst();
    }
    return QString::fromLocal8Bit(lines.join('\n'));
}

void CupsServer::removePdfConfigs()
{
    for (const QString& config : std::as_const(m_pdfConfigs)) {
        QFile::remove(config);
    }
    m_pdfConfigs.clear();
}

void CupsServer::removeStalePdfConfigs()
{
    // A crashed run leaves its cups-pdf configuration behind; its scheduler no longer answers then.
    const QStringList names =
        QDir(pdfConfigDir).entryList({pdfConfigPrefix + QStringLiteral("*.conf")}, QDir::Files);
    for (const QString& name : names) {
        QFile file(pdfConfigDir + QLatin1Char('/') + name);
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray first = file.readLine().trimmed();
        file.close();
        if (!first.startsWith("Out ")) {
            continue;
        }
        // Out is <root>/out/<queue>; the scheduler's socket is <root>/cups.sock.
        QDir root(QFile::decodeName(first.mid(4)));
        const bool up =
            root.cdUp() && root.cdUp() && QFileInfo::exists(root.filePath(QStringLiteral("cups.sock")));
        http_t* http =
            up ? httpConnect2(QFile::encodeName(root.filePath(QStringLiteral("cups.sock"))).constData(), 0,
                              nullptr, AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1, 1000, nullptr)
               : nullptr;
        if (http != nullptr) {
            httpClose(http);
        } else {
            file.remove();
        }
    }
}

} // namespace lbl::test
