// The printers CUPS knows: their names, the default, their resolution and whether they take jobs.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace lbl::preview {

/// The resolution assumed when CUPS states none for a printer.
inline constexpr int fallbackDpi = 300;

/// What CUPS says about a queue right now.
struct PrinterState
{
    bool acceptingJobs = false; ///< false after cupsreject: new jobs are refused
    bool enabled = false;       ///< false when the queue is stopped (cupsdisable, or after a driver error)
    QString message;            ///< printer-state-message, e.g. "Filter failed"; may be empty
    QStringList reasons;        ///< printer-state-reasons other than "none", e.g. "paused"
};

/// The printers and classes the CUPS server lists, in its order (by name). Empty when none is
/// installed or the server cannot be reached.
QStringList installedPrinters();

/// The default printer, as libcups chooses it for this user (lpoptions, LPDEST/PRINTER, the server's
/// default). nullopt when there is none, which is a normal state, not an error.
std::optional<QString> defaultPrinter();

/// The installed printer whose name equals `name` without regard to case, spelled as CUPS spells it;
/// nullopt when there is none (an empty name finds none).
std::optional<QString> findPrinter(const QString& name);

/// The printer's resolution in dots per inch, from its printer-resolution-default attribute (CUPS
/// derives it from the driver's DefaultResolution). fallbackDpi (300) when CUPS states none (a queue
/// without driver), the printer does not exist or the server cannot be reached.
int printerDpi(const QString& name);

/// The state of the printer named exactly `name`; nullopt when it does not exist or the server cannot
/// be reached.
std::optional<PrinterState> printerState(const QString& name);

} // namespace lbl::preview
