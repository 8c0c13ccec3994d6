// Template slots, report runs and the print command: the glue between window, data and engine.
#pragma once

#include "data/RecordSet.h"
#include "preview/ReportEngine.h"

#include <QString>

#include <functional>
#include <optional>

namespace lbl::preview {
class PreviewPane;
}

namespace lbl::output {

/// Output modes of a report run.
inline const QString modePrint = QStringLiteral("P");
inline const QString modePreview = QStringLiteral("V");
inline const QString modeDesign = QStringLiteral("D");

/// What slot selection, report runs and the print command work on; everything is owned by the window.
struct OutputContext
{
    preview::ReportEngine* engine = nullptr;
    preview::PreviewPane* pane = nullptr;
    data::DataSource* dsTmp = nullptr;
    data::DataSource* dsMain = nullptr;
    /// Reads one value of the settings file (section, key, default).
    std::function<QString(const QString&, const QString&, const QString&)> readSetting;
    /// Writes one value of the settings file; throws settings::SettingsError.
    std::function<void(const QString&, const QString&, const QString&)> writeSetting;
    /// Opens the designer modally on the engine's live report and returns when it is closed.
    std::function<void(preview::ReportEngine&)> design;
    /// The printer name shown in the printer list, asked at every run.
    std::function<QString()> printerName;
};

/// Selects the slot whose settings key is `slotKey`: binds the preview set, clears the report, loads
/// the slot's template when its file exists and requests the preview. Throws report::TemplateError
/// when the file exists but cannot be opened; the caller then keeps its previous slot.
void selectSlot(const OutputContext& context, const QString& slotKey);

/// Runs the report in `mode` ("P", "V" or "D", compared exactly); any other mode only sets the
/// printer name.
void runReport(const OutputContext& context, const QString& mode);

/// The print command: runs the report over the main record set in the mode `mode()` gives, stores
/// a designed template's file name under the current slot's key, and binds the preview set again.
/// With no current slot a design run stores nothing. A refused settings write is thrown and leaves
/// the link on the main record set.
void printCommand(const OutputContext& context, const std::function<QString()>& mode,
                  const std::optional<QString>& currentSlotKey);

/// The file name as the print command judges it: leading and trailing blanks and control
/// characters removed.
QString trimmedFileName(const QString& fileName);

} // namespace lbl::output
