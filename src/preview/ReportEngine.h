// The report component the window owns: the live report, its data link, preview, printing and errors.
#pragma once

#include "preview/MessageBoxes.h"
#include "report/DataLink.h"
#include "report/Prepare.h"
#include "report/Report.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QTimer;

namespace lbl::preview {

class PreviewPane;

/// The engine behind `rptReport1`: holds the live report (edited in place by the designer), the
/// data link `rptDBDataset1`, the pages it last prepared, and shows its own failures in the engine's
/// error box (MessageBoxes::showEngineErrors) instead of throwing them to the caller.
class ReportEngine : public QObject
{
    Q_OBJECT

public:
    explicit ReportEngine(MessageBoxes& boxes, QObject* parent = nullptr);
    ~ReportEngine() override;

    report::Report& report() { return m_report; }
    const report::Report& report() const { return m_report; }
    /// The link templates reach as "rptDBDataset1"; its source is switched by the caller.
    report::DataLink& dataLink() { return m_link; }
    report::DataLinks links() { return report::DataLinks{&m_link}; }

    /// Clears the report and loads the template at `path` (empty: stays cleared). A template it cannot
    /// read is listed in the engine's error box and the call returns normally; a file that cannot be
    /// opened throws report::TemplateError (the report is then cleared with an empty file name).
    void loadFromFile(const QString& path);

    /// The printer name the next run asks for (matched without regard to case when printing).
    void setPrinterName(const QString& name);
    QString printerName() const;
    void setShowPrintDialog(bool on);
    bool showPrintDialog() const;
    /// The printer the engine prints on now: at first the default (or the first printer when there is
    /// no default), later the last printer whose name was found. Empty when none is installed.
    QString currentPrinter() const;

    /// Binds `pane` at once and prepares the preview on a single-shot 50 ms timer, after the calling
    /// handler returned. A request while a preparation is running does nothing.
    void showPreview(PreviewPane* pane);
    bool isPreparing() const { return m_preparing; }

    /// Prepares over all records of the bound data set and prints without a dialog on the current
    /// printer (after resolving printerName()), whether or not preparing found errors. Errors (no
    /// printer, "Printer selected is not valid", a job the queue refused, data errors) are shown in
    /// the engine's error box. A progress window with the label count and Cancel appears for long
    /// runs; Cancel sends nothing. Afterwards the bound pane shows the printed pages.
    ///
    /// The pages go to CUPS as one PDF job whose media is the first page's size; every PDF page
    /// keeps its own size, so a template with pages of other sizes prints them as they are on a
    /// printer that takes the page size from the document. A request while a run or a preview
    /// preparation is under way does nothing.
    void print();

    /// Shows pages prepared elsewhere (the designer's preview) in the bound pane.
    void showPages(const report::PreparedReport& pages);

    /// Shows `errors` in the engine's error box when there are any.
    void reportErrors(const report::ErrorList& errors);

    /// Prepares over all records of the bound data set and writes the pages to the PDF file `path` at
    /// `dpi`, listing errors in the engine's error box. True when the file was written.
    bool exportPdf(const QString& path, int dpi);

    /// Whether a long print run shows its progress window (only ever under a QApplication).
    void setProgressWindows(bool on) { m_progressWindows = on; }
    /// A print run of more pages than this shows its progress window at once; a shorter one once it
    /// has taken progressDelayMs. Each page counts as one label.
    static constexpr qsizetype progressLabels = 300;
    static constexpr int progressDelayMs = 400;
    /// How long print() follows a job for a refusal or a failed filter.
    static constexpr int jobWaitMs = 30000;
    /// Said when print() finds no printer installed.
    static QString noPrinterText();
    /// Said when the printer to print on cannot be opened.
    static QString invalidPrinterText();

signals:
    /// Emitted after a preview preparation finished and the pane shows its pages.
    void previewReady();

private:
    void preparePreview();
    QString resolvePrinter();
    void printPages(const report::Report& report, const report::DataLinks& links, const QString& printer,
                    report::ErrorList& errors);

    MessageBoxes& m_boxes;
    report::Report m_report;
    report::DataLink m_link;
    QPointer<PreviewPane> m_pane;
    QTimer* m_timer = nullptr;
    bool m_preparing = false;
    QString m_lastFoundPrinter;
    bool m_printing = false;
    bool m_progressWindows = true;
};

} // namespace lbl::preview
