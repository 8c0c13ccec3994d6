// How the print command opens the designer; tests put their own launcher in its place.
#pragma once

class QWidget;

namespace lbl::preview {
class MessageBoxes;
class ReportEngine;
} // namespace lbl::preview

namespace lbl::designer {

class FileDialogs;

class DesignerLauncher
{
public:
    virtual ~DesignerLauncher();
    /// Lets the user design engine.report() and returns when the designer is closed. The report's
    /// file name is then the file last opened or saved (or loaded before).
    virtual void design(preview::ReportEngine& engine, QWidget* parent) = 0;
};

/// Opens the real Designer, modal, with exec(). Its boxes and file dialogs go through `boxes` and
/// `dialogs`, which must outlive the launcher; its previews go to the engine's pane and its errors
/// to the engine's error box.
class ModalDesignerLauncher : public DesignerLauncher
{
public:
    ModalDesignerLauncher(preview::MessageBoxes& boxes, FileDialogs& dialogs);
    void design(preview::ReportEngine& engine, QWidget* parent) override;

private:
    preview::MessageBoxes& m_boxes;
    FileDialogs& m_dialogs;
};

} // namespace lbl::designer
