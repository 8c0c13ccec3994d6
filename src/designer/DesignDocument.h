// The designer's editing model: the live report, the selection, the clipboard and undo by snapshots.
#pragma once

#include "report/Report.h"

#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QVector>

#include <functional>

namespace lbl::designer {

/// An object on the current page: its band's index and its index within the band.
struct ObjectRef
{
    qsizetype band = -1;
    qsizetype object = -1;

    bool operator==(const ObjectRef& other) const { return band == other.band && object == other.object; }
    bool operator!=(const ObjectRef& other) const { return !(*this == other); }
    bool operator<(const ObjectRef& other) const
    {
        return band != other.band ? band < other.band : object < other.object;
    }
};

enum class Alignment { Left, Right, Top, Bottom, HCentre, VCentre };

/// Defaults for the New command and for new objects.
struct DesignDefaults
{
    static constexpr qreal kMarginMm = 10;
    static constexpr qreal kFontPt = 10;
    /// The font height of new texts in pixels of a 96 dpi screen (10 pt).
    static constexpr int kFontPx = 13;
    static constexpr qreal kBandHeightMm = 30;
    static constexpr qreal kGridMm = 1;
};

/// The page the designer gives a report without pages: `paperMm` portrait (A4 when empty or A4's
/// size), 10 mm margins, one master-data band over "rptDBDataset1".
report::Page blankPage(QSizeF paperMm = {});

/// The paper size of the system's default printer in mm, portrait; empty when unknown.
QSizeF defaultPrinterPaperMm();

/// Edits one page of a report it does not own. Every edit goes through here so it can be undone:
/// each edit keeps a snapshot of the whole report from before it (at most kUndoLimit), and a redo
/// stack that any new edit clears. The file name is not part of what undo restores.
class DesignDocument : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype kUndoLimit = 200;

    explicit DesignDocument(report::Report& report, QObject* parent = nullptr);

    report::Report& report() { return m_report; }
    const report::Report& report() const { return m_report; }

    /// Gives a report without pages one blank page; the result counts as unmodified.
    void ensurePage(QSizeF paperMm = {});
    qsizetype pageIndex() const { return m_page; }
    void setPageIndex(qsizetype index);
    report::Page& page();
    const report::Page& page() const;

    /// The object `ref` names; nullptr when there is none.
    report::ReportObject* object(const ObjectRef& ref);
    const report::ReportObject* object(const ObjectRef& ref) const;
    /// Left, top and width of band `band` on the page, in mm from the page's top-left corner.
    QRectF bandRectMm(qsizetype band) const;
    /// The box of `ref` in page mm.
    QRectF objectPageRectMm(const ObjectRef& ref) const;

    const QVector<ObjectRef>& selection() const { return m_selection; }
    void setSelection(const QVector<ObjectRef>& refs);
    void clearSelection() { setSelection({}); }
    bool isSelected(const ObjectRef& ref) const { return m_selection.contains(ref); }
    /// The band new objects and pasted ones go to: the selection's first band, else the current band.
    qsizetype currentBand() const;
    void setCurrentBand(qsizetype band);

    // Undo.
    bool canUndo() const { return !m_undo.isEmpty(); }
    bool canRedo() const { return !m_redo.isEmpty(); }
    qsizetype undoCount() const { return m_undo.size(); }
    void undo();
    void redo();
    /// Starts an edit made of many steps (a mouse drag); endEdit() makes it one undo step when it
    /// changed anything. Changes made in between go straight into the report.
    void beginEdit();
    void endEdit();
    bool isEditing() const { return m_editing; }
    /// Forgets every undo step (after New or Open).
    void resetHistory();
    /// Changed since markSaved() (the file name not counted).
    bool isModified() const;
    void markSaved();
    /// Announces changes made straight into the report during beginEdit()/endEdit().
    void touch();

    // Edits. Each is one undo step; one that changes nothing leaves no step.
    ObjectRef addObject(qsizetype band, report::ReportObject object);
    /// A new object of the default kind and size for its content, at `posMm` within `band`.
    static report::ReportObject defaultObject(const report::ObjectContent& content, QPointF posMm,
                                              QSizeF sizeMm = {});
    void moveSelection(QPointF deltaMm);
    void setObjectBox(const ObjectRef& ref, const QRectF& boxMm);
    void deleteSelection();
    void copySelection();
    void cutSelection();
    bool canPaste() const { return !m_clipboard.isEmpty(); }
    /// Pastes into `band` (the current band when -1), offset so the copies stay inside it.
    void paste(qsizetype band = -1);
    void align(Alignment how);
    /// Spaces three or more selected objects evenly between the outer two.
    void distribute(Qt::Orientation orientation);
    void bringToFront();
    void sendToBack();
    /// Adds a band of `type` below the last one; returns its index.
    qsizetype addBand(report::BandType type);
    void removeBand(qsizetype band);
    /// Sets the band's height (at least 1 mm) and shifts the bands below by the difference.
    void setBandHeight(qsizetype band, qreal heightMm);
    /// Takes paper, size, orientation, margins, columns and growth from `setup`, not its bands.
    void setPageSetup(const report::Page& setup);
    /// Applies `change` to every selected object. Consecutive changes with the same non-empty `key`
    /// make one undo step (typing into one field).
    void editSelected(const std::function<void(report::ReportObject&)>& change, const QString& key = {});
    /// Applies `change` to the report as one undo step.
    void editReport(const std::function<void(report::Report&)>& change, const QString& key = {});

    /// A name not yet used on any page, "<prefix><n>".
    QString uniqueName(const QString& prefix) const;

signals:
    /// The report changed (any edit, undo or redo).
    void changed();
    void selectionChanged();

private:
    void pushUndo(const report::Report& before);
    void restore(const report::Report& state);
    void pruneSelection();
    report::Report withoutFileName(const report::Report& report) const;

    report::Report& m_report;
    qsizetype m_page = 0;
    qsizetype m_currentBand = 0;
    QVector<ObjectRef> m_selection;
    QVector<report::Report> m_undo;
    QVector<report::Report> m_redo;
    report::Report m_editStart;
    bool m_editing = false;
    QString m_lastKey;
    report::Report m_saved;
    QVector<report::ReportObject> m_clipboard;
};

} // namespace lbl::designer
