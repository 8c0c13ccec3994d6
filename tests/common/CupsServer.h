// A private CUPS scheduler for one test run, so printing tests never touch the machine's own printers.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <memory>

namespace lbl::test {

/// Runs `cupsd` in the foreground as a child process, with its configuration, spool, cache, state, logs
/// and printed output in a fresh temporary folder, listening only on a domain socket in that folder.
/// While it runs, CUPS_SERVER in this process (and so libcups and every CUPS command started from it)
/// points at that socket; HOME points at an empty folder and LPDEST/PRINTER are unset, so no lpoptions
/// file or variable of the machine chooses the default printer. After stop() the variables keep
/// pointing at the dead socket, so code under test sees an unreachable server, never the system's.
/// The destructor stops the scheduler, removes the folder and restores the variables.
///
/// Every operation that can fail returns false and leaves the reason in errorString().
class CupsServer
{
public:
    /// How a file queue's driver states its resolution.
    enum class Resolution {
        Option,  ///< a Resolution option whose default is the dpi (CUPS reports it as an attribute)
        Keyword, ///< only a DefaultResolution keyword in the driver file, no option
        None,    ///< nothing at all
    };

    CupsServer();
    ~CupsServer();
    CupsServer(const CupsServer&) = delete;
    CupsServer& operator=(const CupsServer&) = delete;

    /// True when a `cupsd` executable is installed.
    static bool available();

    /// Starts a fresh scheduler with no queues and waits until it answers. Starting a running server
    /// stops it first and begins again in a new folder.
    [[nodiscard]] bool start();
    /// Stops the scheduler (SIGTERM, then waits). Printed files stay readable until destruction.
    void stop();
    bool isRunning() const;

    /// A queue on the cups-pdf backend; its PDF files land in outputFiles(name).
    [[nodiscard]] bool addPdfQueue(const QString& name);
    /// A queue on a `file:` device whose driver passes PDF through (pdftopdf only); each job overwrites
    /// the one output file. `dpi` is what the driver states, in the way `how` says.
    [[nodiscard]] bool addFileQueue(const QString& name, int dpi = 203, Resolution how = Resolution::Option);
    /// A queue without any driver (a raw queue, to /dev/null): CUPS states no resolution for it.
    [[nodiscard]] bool addRawQueue(const QString& name);
    /// A file queue whose filter always fails, to show "Filter failed".
    [[nodiscard]] bool addFailingQueue(const QString& name);
    [[nodiscard]] bool setDefault(const QString& name);
    /// Stops the queue (cupsdisable): it still accepts jobs but holds them.
    [[nodiscard]] bool disable(const QString& name, const QString& reason = QStringLiteral("Paused by test"));
    /// Makes the queue refuse new jobs (cupsreject).
    [[nodiscard]] bool reject(const QString& name,
                              const QString& reason = QStringLiteral("Rejected by test"));
    [[nodiscard]] bool remove(const QString& name);

    /// The non-empty files printed on `queue` so far, oldest first, as absolute paths.
    QStringList outputFiles(const QString& queue) const;
    /// Waits until no job is pending or processing, ignoring jobs held on stopped queues.
    /// False when jobs are still busy at the end of `timeout` (or the server does not answer).
    [[nodiscard]] bool waitForJobs(std::chrono::milliseconds timeout = std::chrono::seconds(30));

    /// The socket CUPS_SERVER points at; empty before the first start().
    QString socketPath() const { return m_socketPath; }
    /// The scheduler's folder; empty before the first start().
    QString rootPath() const;
    /// The reason the last failed operation gave, with the scheduler's log tail where it helps.
    QString errorString() const { return m_error; }

private:
    bool writeFile(const QString& path, const QByteArray& text);
    bool run(const QString& program, const QStringList& arguments);
    bool addQueue(const QString& name, const QString& deviceUri, const QString& ppdPath);
    bool waitUntilAnswering(std::chrono::milliseconds timeout);
    QString outputDir(const QString& queue) const;
    QString logTail() const;
    void removePdfConfigs();
    static void removeStalePdfConfigs();

    std::unique_ptr<QTemporaryDir> m_dir;
    QProcess m_cupsd;
    QString m_socketPath;
    QString m_key;
    QStringList m_pdfConfigs;
    QString m_error;
    QByteArray m_savedServer;
    QByteArray m_savedHome;
    bool m_savedHaveServer = false;
    bool m_savedHaveHome = false;
    bool m_envTaken = false;
};

} // namespace lbl::test

/// Starts `server` in a test function, skipping the test with a clear reason when cupsd is missing.
#define LBL_START_CUPS(server)                                                                               \
    do {                                                                                                     \
        if (!lbl::test::CupsServer::available()) {                                                           \
            QTest::qSkip("cupsd is not installed (package cups-daemon); printing tests need a private CUPS", \
                         __FILE__, __LINE__);                                                                \
            return;                                                                                          \
        }                                                                                                    \
        QVERIFY2((server).start(), qPrintable((server).errorString()));                                      \
    } while (false)
