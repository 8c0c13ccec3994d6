// Sending a finished PDF to a CUPS queue through libcups and following the job.
#include "preview/CupsJob.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <cups/cups.h>
#include <optional>
#include <thread>

namespace lbl::preview {

namespace {

class Connection
{
public:
    Connection()
        : m_http(
            httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 10000, nullptr))
        , m_errno(errno)
    {
    }
    ~Connection()
    {
        if (m_http != nullptr) {
            httpClose(m_http);
        }
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    http_t* get() const { return m_http; }
    QString failure() const { return QString::fromLocal8Bit(std::strerror(m_errno)); }

private:
    http_t* m_http;
    int m_errno;
};

QString lastCupsError()
{
    const QString text = QString::fromUtf8(cupsLastErrorString());
    return text.isEmpty() ? QString::fromUtf8(ippErrorString(cupsLastError())) : text;
}

QString text(ipp_t* response, const char* name)
{
    ipp_attribute_t* attr = ippFindAttribute(response, name, IPP_TAG_ZERO);
    return attr != nullptr ? QString::fromUtf8(ippGetString(attr, 0, nullptr)) : QString();
}

QStringList keywords(ipp_t* response, const char* name)
{
    QStringList values;
    ipp_attribute_t* attr = ippFindAttribute(response, name, IPP_TAG_KEYWORD);
    for (int i = 0; attr != nullptr && i < ippGetCount(attr); ++i) {
        const QString value = QString::fromUtf8(ippGetString(attr, i, nullptr));
        if (value != QLatin1String("none")) {
            values.append(value);
        }
    }
    return values;
}

int integer(ipp_t* response, const char* name, int otherwise)
{
    ipp_attribute_t* attr = ippFindAttribute(response, name, IPP_TAG_ZERO);
    return attr != nullptr ? ippGetInteger(attr, 0) : otherwise;
}

QString reasonOf(const QString& message, const QStringList& reasons)
{
    if (!message.isEmpty()) {
        return message;
    }
    return reasons.isEmpty() ? QStringLiteral("no reason given") : reasons.join(QStringLiteral(", "));
}

QByteArray printerUri(const QByteArray& name)
{
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", name.constData());
    return QByteArray(uri);
}

struct QueueState
{
    bool found = false;
    bool acceptingJobs = false;
    bool stopped = false;
    QString reason;
};

// Asked on the job's own connection, so "not found" and "server gone" stay apart.
std::optional<QueueState> askQueue(http_t* http, const QByteArray& name)
{
    static const char* const wanted[] = {"printer-state", "printer-is-accepting-jobs",
                                         "printer-state-message", "printer-state-reasons"};
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 printerUri(name).constData());
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 4, nullptr, wanted);
    ipp_t* response = cupsDoRequest(http, request, "/");
    QueueState state;
    if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND) {
        ippDelete(response);
        return state;
    }
    if (response == nullptr || cupsLastError() > IPP_STATUS_OK_CONFLICTING) {
        ippDelete(response);
        return std::nullopt;
    }
    state.found = true;
    state.stopped = integer(response, "printer-state", IPP_PSTATE_IDLE) == IPP_PSTATE_STOPPED;
    ipp_attribute_t* accepting = ippFindAttribute(response, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
    state.acceptingJobs = accepting != nullptr && ippGetBoolean(accepting, 0) != 0;
    state.reason =
        reasonOf(text(response, "printer-state-message"), keywords(response, "printer-state-reasons"));
    ippDelete(response);
    return state;
}

struct JobState
{
    int state = IPP_JSTATE_PENDING;
    QStringList reasons;
    QString message;
};

std::optional<JobState> askJob(http_t* http, const QByteArray& printer, int jobId)
{
    static const char* const wanted[] = {"job-state", "job-state-reasons", "job-printer-state-message"};
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 printerUri(printer).constData());
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr, wanted);
    ipp_t* response = cupsDoRequest(http, request, "/");
    if (response == nullptr || cupsLastError() > IPP_STATUS_OK_CONFLICTING) {
        ippDelete(response);
        return std::nullopt;
    }
    JobState job;
    job.state = integer(response, "job-state", IPP_JSTATE_PENDING);
    job.reasons = keywords(response, "job-state-reasons");
    job.message = text(response, "job-printer-state-message");
    ippDelete(response);
    return job;
}

PrintResult failed(PrintResult result, const QString& error)
{
    result.ok = false;
    result.error = error;
    // CUPS's own reasons mostly end in a full stop already.
    while (result.error.endsWith(QLatin1String(".."))) {
        result.error.chop(1);
    }
    return result;
}

// Follows the job until it ends or the wait is over; result.ok stays true unless the job failed.
PrintResult follow(http_t* http, const QString& printer, const QByteArray& name, PrintResult result,
                   std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    const QString job = QStringLiteral("The job %1 on printer \"%2\"").arg(result.jobId).arg(printer);
    while (true) {
        const std::optional<JobState> state = askJob(http, name, result.jobId);
        if (!state) {
            return failed(result, QStringLiteral("%1 was sent, but CUPS no longer answers about it: %2")
                                      .arg(job, lastCupsError()));
        }
        // The job's own message may be empty by now; the queue still says what went wrong.
        QString why = state->message;
        if (why.isEmpty() && state->state >= IPP_JSTATE_HELD && state->state != IPP_JSTATE_PROCESSING) {
            const std::optional<QueueState> queue = askQueue(http, name);
            if (queue && queue->found && queue->reason != QLatin1String("no reason given")) {
                why = queue->reason;
            }
        }
        why = reasonOf(why, state->reasons);
        switch (state->state) {
        case IPP_JSTATE_COMPLETED:
            if (state->reasons.contains(QStringLiteral("job-completed-with-errors"))) {
                return failed(result, QStringLiteral("%1 failed: %2.").arg(job, why));
            }
            result.completed = true;
            return result;
        case IPP_JSTATE_CANCELED:
            return failed(result, QStringLiteral("%1 was canceled: %2.").arg(job, why));
        case IPP_JSTATE_ABORTED:
            return failed(result, QStringLiteral("%1 was aborted: %2.").arg(job, why));
        case IPP_JSTATE_STOPPED:
            return failed(result, QStringLiteral("%1 was stopped: %2.").arg(job, why));
        case IPP_JSTATE_HELD:
            return failed(
                result,
                QStringLiteral("%1 is held and will not print until it is released: %2.").arg(job, why));
        case IPP_JSTATE_PENDING: {
            // A queue that stops after taking the job (a driver error) keeps it waiting silently.
            const std::optional<QueueState> queue = askQueue(http, name);
            if (queue && queue->found && queue->stopped) {
                return failed(
                    result, QStringLiteral("%1 waits: the printer has stopped: %2.").arg(job, queue->reason));
            }
            break;
        }
        default:
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

} // namespace

QString mediaOption(QSizeF pageMm)
{
    const auto number = [](qreal mm) {
        QString text = QString::number(mm, 'f', 2);
        while (text.endsWith(QLatin1Char('0'))) {
            text.chop(1);
        }
        if (text.endsWith(QLatin1Char('.'))) {
            text.chop(1);
        }
        return text;
    };
    return QStringLiteral("Custom.%1x%2mm").arg(number(pageMm.width()), number(pageMm.height()));
}

PrintResult submitPdf(const QString& printer, const QString& pdfPath, const QString& title, QSizeF pageMm,
                      int copies, std::chrono::milliseconds waitForCompletion)
{
    PrintResult result;
    if (printer.isEmpty()) {
        return failed(result, QStringLiteral("No printer was named for the print job."));
    }
    if (copies < 1) {
        return failed(result,
                      QStringLiteral("Cannot print %1 copies on printer \"%2\".").arg(copies).arg(printer));
    }
    if (!(pageMm.width() > 0.0 && pageMm.height() > 0.0)) {
        return failed(result,
                      QStringLiteral("Cannot print on printer \"%1\": the page size %2 x %3 mm is not valid.")
                          .arg(printer)
                          .arg(pageMm.width())
                          .arg(pageMm.height()));
    }
    QFile file(pdfPath);
    if (!file.open(QIODevice::ReadOnly)) {
        return failed(result, QStringLiteral("Cannot read \"%1\" to print it on printer \"%2\": %3.")
                                  .arg(pdfPath, printer, file.errorString()));
    }

    const QString server = QString::fromUtf8(cupsServer());
    const Connection http;
    if (http.get() == nullptr) {
        return failed(
            result, QStringLiteral("Cannot print on printer \"%1\": the CUPS server %2 is not reachable: %3.")
                        .arg(printer, server, http.failure()));
    }
    const QByteArray name = printer.toUtf8();
    const std::optional<QueueState> queue = askQueue(http.get(), name);
    if (!queue) {
        return failed(
            result, QStringLiteral("Cannot print on printer \"%1\": the CUPS server %2 does not answer: %3.")
                        .arg(printer, server, lastCupsError()));
    }
    if (!queue->found) {
        return failed(result, QStringLiteral("Printer \"%1\" does not exist.").arg(printer));
    }
    if (!queue->acceptingJobs) {
        return failed(result,
                      QStringLiteral("Printer \"%1\" does not accept jobs: %2.").arg(printer, queue->reason));
    }
    // CUPS would take the job and hold it until someone enables the queue; labels that appear hours
    // later are worse than a clear refusal now.
    if (queue->stopped) {
        return failed(result, QStringLiteral("Printer \"%1\" is stopped: %2. Nothing was printed.")
                                  .arg(printer, queue->reason));
    }

    const QByteArray media = mediaOption(pageMm).toUtf8();
    const QByteArray copyCount = QByteArray::number(copies);
    cups_option_t* options = nullptr;
    int optionCount = cupsAddOption("media", media.constData(), 0, &options);
    optionCount = cupsAddOption("copies", copyCount.constData(), optionCount, &options);
    const QByteArray jobTitle = title.isEmpty() ? QFileInfo(pdfPath).fileName().toUtf8() : title.toUtf8();
    result.jobId = cupsCreateJob(http.get(), name.constData(), jobTitle.constData(), optionCount, options);
    cupsFreeOptions(optionCount, options);
    if (result.jobId <= 0) {
        result.jobId = 0;
        return failed(result,
                      QStringLiteral("Printer \"%1\" refused the job: %2.").arg(printer, lastCupsError()));
    }

    const QByteArray document = QFileInfo(pdfPath).fileName().toUtf8();
    if (cupsStartDocument(http.get(), name.constData(), result.jobId, document.constData(), CUPS_FORMAT_PDF,
                          1)
        != HTTP_STATUS_CONTINUE) {
        const QString reason = lastCupsError();
        cupsCancelJob2(http.get(), name.constData(), result.jobId, 0);
        return failed(result,
                      QStringLiteral("Cannot send the document to printer \"%1\": %2.").arg(printer, reason));
    }
    bool sent = true;
    QString readError;
    QByteArray chunk(qsizetype{64} * 1024, Qt::Uninitialized);
    while (sent) {
        const qint64 count = file.read(chunk.data(), chunk.size());
        if (count < 0) {
            readError = file.errorString();
            sent = false;
        } else if (count == 0) {
            break;
        } else if (cupsWriteRequestData(http.get(), chunk.constData(), static_cast<size_t>(count))
                   != HTTP_STATUS_CONTINUE) {
            sent = false;
        }
    }
    const ipp_status_t finished = cupsFinishDocument(http.get(), name.constData());
    if (!sent || finished > IPP_STATUS_OK_CONFLICTING) {
        const QString reason = readError.isEmpty() ? lastCupsError() : readError;
        cupsCancelJob2(http.get(), name.constData(), result.jobId, 0);
        return failed(result,
                      QStringLiteral("Cannot send the document to printer \"%1\": %2.").arg(printer, reason));
    }

    result.ok = true;
    if (waitForCompletion.count() <= 0) {
        return result;
    }
    return follow(http.get(), printer, name, result, waitForCompletion);
}

} // namespace lbl::preview
