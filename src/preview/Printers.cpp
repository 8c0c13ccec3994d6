// The printers CUPS knows, asked through libcups.
#include "preview/Printers.h"

#include <QByteArray>

#include <cmath>
#include <cups/cups.h>

namespace lbl::preview {

namespace {

struct Dests
{
    int count = 0;
    cups_dest_t* dests = nullptr;

    Dests() { count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests); }
    ~Dests() { cupsFreeDests(count, dests); }
    Dests(const Dests&) = delete;
    Dests& operator=(const Dests&) = delete;
};

ipp_t* printerAttributes(const QString& name, const char* const* wanted, int wantedCount)
{
    const QByteArray utf8 = name.toUtf8();
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", utf8.constData());
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", wantedCount, nullptr,
                  wanted);
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    if (response != nullptr && ippGetStatusCode(response) > IPP_STATUS_OK_CONFLICTING) {
        ippDelete(response);
        return nullptr;
    }
    return response;
}

int dpiFromAttribute(ipp_t* response)
{
    ipp_attribute_t* attr = ippFindAttribute(response, "printer-resolution-default", IPP_TAG_RESOLUTION);
    if (attr == nullptr) {
        return 0;
    }
    int yres = 0;
    ipp_res_t units = IPP_RES_PER_INCH;
    const int xres = ippGetResolution(attr, 0, &yres, &units);
    if (xres <= 0) {
        return 0;
    }
    return units == IPP_RES_PER_CM ? static_cast<int>(std::lround(xres * 2.54)) : xres;
}

} // namespace

QStringList installedPrinters()
{
    const Dests all;
    QStringList names;
    for (int i = 0; i < all.count; ++i) {
        // Instances are lpoptions presets of a printer, not printers of their own.
        if (all.dests[i].instance == nullptr) {
            names.append(QString::fromUtf8(all.dests[i].name));
        }
    }
    return names;
}

std::optional<QString> defaultPrinter()
{
    const Dests all;
    for (int i = 0; i < all.count; ++i) {
        if (all.dests[i].is_default != 0) {
            return QString::fromUtf8(all.dests[i].name);
        }
    }
    return std::nullopt;
}

std::optional<QString> findPrinter(const QString& name)
{
    if (name.isEmpty()) {
        return std::nullopt;
    }
    const QStringList names = installedPrinters();
    for (const QString& candidate : names) {
        if (candidate.compare(name, Qt::CaseInsensitive) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

int printerDpi(const QString& name)
{
    if (name.isEmpty()) {
        return fallbackDpi;
    }
    static const char* const wanted[] = {"printer-resolution-default"};
    ipp_t* response = printerAttributes(name, wanted, 1);
    if (response == nullptr) {
        return fallbackDpi;
    }
    const int dpi = dpiFromAttribute(response);
    ippDelete(response);
    return dpi > 0 ? dpi : fallbackDpi;
}

std::optional<PrinterState> printerState(const QString& name)
{
    if (name.isEmpty()) {
        return std::nullopt;
    }
    static const char* const wanted[] = {"printer-state", "printer-is-accepting-jobs",
                                         "printer-state-message", "printer-state-reasons"};
    ipp_t* response = printerAttributes(name, wanted, 4);
    if (response == nullptr) {
        return std::nullopt;
    }
    PrinterState state;
    ipp_attribute_t* attr = ippFindAttribute(response, "printer-state", IPP_TAG_ENUM);
    state.enabled = attr != nullptr && ippGetInteger(attr, 0) != IPP_PSTATE_STOPPED;
    attr = ippFindAttribute(response, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
    state.acceptingJobs = attr != nullptr && ippGetBoolean(attr, 0) != 0;
    attr = ippFindAttribute(response, "printer-state-message", IPP_TAG_TEXT);
    if (attr != nullptr) {
        state.message = QString::fromUtf8(ippGetString(attr, 0, nullptr));
    }
    attr = ippFindAttribute(response, "printer-state-reasons", IPP_TAG_KEYWORD);
    for (int i = 0; attr != nullptr && i < ippGetCount(attr); ++i) {
        const QString reason = QString::fromUtf8(ippGetString(attr, i, nullptr));
        if (reason != QLatin1String("none")) {
            state.reasons.append(reason);
        }
    }
    ippDelete(response);
    return state;
}

} // namespace lbl::preview
