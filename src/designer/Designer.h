// The template designer: a modal window that edits the live report in place.
#pragma once

#include "designer/DesignDocument.h"
#include "designer/FileDialogs.h"
#include "preview/MessageBoxes.h"
#include "report/DataLink.h"
#include "report/Prepare.h"
#include "report/Report.h"

#include <QDialog>

#include <functional>

class QAction;
class QComboBox;
class QLabel;
class QMainWindow;
class QTabWidget;

namespace lbl::designer {

class DataPanel;
class DesignCanvas;
class PagesView;
class PropertyPanel;

/// Edits `report` itself: every edit stays in it whether or not it is saved. A report without pages
/// gets one blank page on the default printer's paper (A4 when unknown) with 10 mm margins.
///
/// Open and Save As change the report's file name; Save on a report without one acts as Save As.
/// Closing with unsaved changes asks: Yes saves (and stays open when saving did not happen), No
/// closes and keeps the edits in the report, Cancel stays. Boxes go through `boxes`, file dialogs
/// through `dialogs`; nothing here throws to the event loop. The designer's own state (geometry,
/// zoom, grid, last folder) is kept in QSettings("labelprint", "engine").
class Designer : public QDialog
{
    Q_OBJECT

public:
    Designer(report::Report& report, report::DataLinks links, preview::MessageBoxes& boxes,
             FileDialogs& dialogs, QWidget* parent = nullptr);
    ~Designer() override;

    /// Receives the pages of a preview made inside the designer (the main window's pane shows them).
    void setPagesHandler(std::function<void(const report::PreparedReport&)> handler);
    /// Receives the errors of opening and previewing; without one they go to the engine's error box.
    void setErrorsHandler(std::function<void(const report::ErrorList&)> handler);

    DesignDocument& document() { return *m_doc; }
    DesignCanvas* canvas() const { return m_canvas; }
    DataPanel* dataPanel() const { return m_data; }
    PropertyPanel* propertyPanel() const { return m_properties; }
    PagesView* pagesView() const { return m_pages; }

    /// File commands; each returns true when it was carried out (false: cancelled or failed).
    bool newReport();
    bool openReport();
    bool save();
    bool saveAs();
    /// Asks about unsaved changes; true when the designer may close.
    bool confirmClose();

    /// Prepares over the bound data, shows the pages in the preview tab and hands them on.
    void showPreview();
    /// Moves the bound record set to record `index` (clamped); does nothing without records.
    void moveRecord(qsizetype index);
    /// Opens the page setup dialog on the current page.
    void editPageSetup();

    /// The caption of the designer's message boxes.
    static QString boxTitle();

public slots:
    void reject() override;

private:
    /// Writes the report to `path`; a refused write is shown and gives false.
    bool saveTo(const QString& path);
    void buildUi();
    void buildActions();
    void loadState();
    void saveState();
    void updateActions();
    void updateTitle();
    void updateRecordLabel();
    void setZoomText(const QString& text);
    void reportErrors(const report::ErrorList& errors);
    QByteArray loadImage();
    void guarded(const std::function<void()>& action);
    QAction* addAction(QMenu* menu, const QString& text, const QIcon& icon, const QKeySequence& key,
                       const std::function<void()>& slot);

    report::Report& m_report;
    report::DataLinks m_links;
    preview::MessageBoxes& m_boxes;
    FileDialogs& m_dialogs;
    std::function<void(const report::PreparedReport&)> m_pagesHandler;
    std::function<void(const report::ErrorList&)> m_errorsHandler;
    DesignDocument* m_doc = nullptr;
    QMainWindow* m_main = nullptr;
    QTabWidget* m_tabs = nullptr;
    DesignCanvas* m_canvas = nullptr;
    DataPanel* m_data = nullptr;
    PropertyPanel* m_properties = nullptr;
    PagesView* m_pages = nullptr;
    QComboBox* m_zoom = nullptr;
    QComboBox* m_pageChoice = nullptr;
    QLabel* m_position = nullptr;
    QLabel* m_record = nullptr;
    QLabel* m_selectionInfo = nullptr;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    QAction* m_paste = nullptr;
    QVector<QAction*> m_needSelection;
    QVector<QAction*> m_needSeveral;
    QVector<QAction*> m_toolActions;
    QString m_lastFolder;
    qsizetype m_startRecord = -1;
    bool m_fitZoom = false;
};

} // namespace lbl::designer
