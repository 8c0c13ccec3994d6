// The main window: its print page, the creation sequence, the printer list and the error guard.
//
// The names in this class (Tfrm_barcode, FormCreate, BtnClick, cbb_printChange, BitBtn1Click,
// ReadSetting, WriteSetting, FExePath, FButton and the component names) are given names that users'
// documentation and settings refer to; they are kept as they are and are not to be "fixed".
#pragma once

#include "app/ErrorGuard.h"
#include "data/RecordSet.h"
#include "data/SpreadsheetServer.h"
#include "designer/DesignerLauncher.h"
#include "output/ReportRuns.h"
#include "preview/MessageBoxes.h"
#include "preview/PreviewPane.h"
#include "preview/ReportEngine.h"

#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <functional>
#include <memory>

namespace Ui {
class Tfrm_barcode;
}

class QComboBox;
class QLabel;
class QTabWidget;

/// What the window needs from outside; tests replace each part.
struct WindowContext
{
    /// Message boxes; not owned, must outlive the window.
    lbl::preview::MessageBoxes* boxes = nullptr;
    /// The running program file, asked again on every settings access. Empty: the real program file.
    std::function<QString()> programFile;
    /// Starts the spreadsheet reader for the start-up import. Empty: the program's own .xls reader.
    lbl::data::ServerFactory serverFactory;
    /// Opens the designer modally on the engine's live report; not owned. Null: design runs do nothing.
    lbl::designer::DesignerLauncher* designer = nullptr;
};

class Tfrm_barcode : public QWidget
{
    Q_OBJECT

public:
    explicit Tfrm_barcode(WindowContext context, QWidget* parent = nullptr);
    ~Tfrm_barcode() override;

    /// Value of `key` in `section` of the settings file beside the program, or `defaultValue`.
    QString ReadSetting(const QString& section, const QString& key, const QString& defaultValue) const;
    /// Throws lbl::settings::SettingsError "Unable to write to <path>".
    void WriteSetting(const QString& section, const QString& key, const QString& value) const;

    /// The program folder with a trailing separator; empty until the creation sequence set it.
    const QString& exePath() const { return FExePath; }
    /// The current template slot; null until a slot was selected.
    QPushButton* currentSlot() const { return FButton; }
    /// The twelve slot buttons in slot-key order.
    QList<QPushButton*> slotButtons() const;
    /// The key a slot button stands for ("LAB_BQTM01" ...).
    static QString slotKey(const QPushButton* button);

    QTabWidget* PageControl1 = nullptr;
    QWidget* tsBQDY = nullptr;
    QComboBox* cbb_print = nullptr;
    QComboBox* cbb_PVD = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    lbl::preview::PreviewPane* rptPreview1 = nullptr;

    lbl::data::RecordSet cdsMain{QStringLiteral("cdsMain")};
    lbl::data::RecordSet cdsTmp{QStringLiteral("cdsTmp")};
    lbl::data::DataSource dsMain{&cdsMain};
    lbl::data::DataSource dsTmp{&cdsTmp};
    /// The report with its data link rptDBDataset1; holds the built-in sample until a slot is pressed.
    lbl::preview::ReportEngine rptReport1;

protected:
    void resizeEvent(QResizeEvent* event) override;

private slots:
    void BtnClick(QPushButton* sender);
    void cbb_printChange();
    void BitBtn1Click();

private:
    void FormCreate();
    void ImportWorkbook(const QString& fileName);
    void BuildPreviewSet();
    void RunReport(const QString& mode);
    lbl::output::OutputContext outputContext();
    void applyLook();
    QString settingsPath() const;
    template <typename Sender, typename Signal, typename Slot>
    void connectGuarded(Sender* sender, Signal signal, Slot slot);

    std::unique_ptr<Ui::Tfrm_barcode> m_ui;
    WindowContext m_context;
    lbl::app::ErrorGuard m_guard;
    QString FExePath;
    QPointer<QPushButton> FButton;
};

/// The program's one main window.
extern Tfrm_barcode* frm_barcode;
