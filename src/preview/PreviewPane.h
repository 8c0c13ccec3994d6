// The preview pane: prepared pages on a grey desk, with zoom and page navigation.
#pragma once

#include "data/RecordSet.h"
#include "report/DataLink.h"
#include "report/Prepare.h"
#include "report/Report.h"

#include <QString>
#include <QVector>
#include <QWidget>

#include <map>
#include <memory>

class QLabel;
class QScrollArea;
class QToolButton;

namespace lbl::preview {

class PageView;

/// Shows one prepared page at a time, white with a soft shadow on grey, painted through
/// report::paintPage at the screen's resolution with barcode bars rounded to the dots of a printer of
/// dotDpi(). A compact row of small tool buttons zooms (fit, in, out) and moves between pages, with
/// the text "Page i of n". The zoom is kept in the engine's own preferences (QSettings, organisation
/// "labelprint", application "engine", in the user's config folder).
///
/// Pages come either as a whole (setPages) or as a snapshot of a run (setSnapshot): then only the
/// page shown and a few around it are held, each prepared again when it is needed, so a run of ten
/// thousand labels costs a copy of the report and of its records, not ten thousand pages.
class PreviewPane : public QWidget
{
    Q_OBJECT

public:
    /// Smallest and largest zoom factor (1: true size on the screen).
    static constexpr qreal minZoom = 0.1;
    static constexpr qreal maxZoom = 8.0;
    /// How many prepared pages a snapshot keeps at most.
    static constexpr qsizetype cacheLimit = 5;

    explicit PreviewPane(QWidget* parent = nullptr);
    ~PreviewPane() override;

    /// Shows nothing.
    void clear();
    /// Shows `pages`, from the first.
    void setPages(const report::PreparedReport& pages);
    /// Shows the `pageCount` pages that `report` gives over a copy of `records` (nullptr: no record
    /// set) linked as `alias`, from the first, preparing them when they are shown.
    void setSnapshot(const report::Report& report, const QString& alias, const data::RecordSet* records,
                     qsizetype pageCount);

    /// The printer resolution barcode bars are rounded to; 0: the screen's.
    void setDotDpi(int dpi);
    int dotDpi() const { return m_dotDpi; }

    qsizetype pageCount() const { return m_pageCount; }
    /// 0-based; 0 when there are no pages.
    qsizetype currentPage() const { return m_current; }
    /// Clamped to the pages there are.
    void setCurrentPage(qsizetype index);
    /// "Page i of n" (1-based), or "No pages".
    QString pageText() const;
    /// The page shown now, prepared when needed; nullptr when there is none.
    const report::PreparedPage* shownPage();
    /// How many prepared pages the pane holds now.
    qsizetype heldPages() const;

    /// True while the page is scaled to fit the visible area (the default).
    bool fitsPage() const { return m_fit; }
    /// The factor the page is drawn at now.
    qreal zoom();
    /// The page as drawn, in pixels of the view; empty when no page is shown.
    QSize drawnPageSize();

public slots:
    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();
    void zoomIn();
    void zoomOut();
    void zoomToFit();

signals:
    void pageChanged(qsizetype index);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    friend class PageView;

    struct Snapshot
    {
        report::Report report;
        data::RecordSet records{QString()};
        data::DataSource source;
        std::unique_ptr<report::DataLink> link;
        bool hasRecords = false;
    };

    void reset(qsizetype pageCount);
    void setZoom(qreal zoom, bool fit);
    qreal fitZoom();
    qreal screenDpi() const;
    void relayout();
    void updateControls();
    void saveZoom() const;

    QVector<report::PreparedPage> m_pages;
    std::unique_ptr<Snapshot> m_snapshot;
    std::map<qsizetype, report::PreparedPage> m_cache;
    qsizetype m_pageCount = 0;
    qsizetype m_current = 0;
    int m_dotDpi = 0;
    bool m_fit = true;
    qreal m_zoom = 1.0;

    QScrollArea* m_scroll = nullptr;
    PageView* m_view = nullptr;
    QToolButton* m_first = nullptr;
    QToolButton* m_previous = nullptr;
    QToolButton* m_next = nullptr;
    QToolButton* m_last = nullptr;
    QToolButton* m_zoomOut = nullptr;
    QToolButton* m_zoomIn = nullptr;
    QToolButton* m_zoomFit = nullptr;
    QLabel* m_pageLabel = nullptr;
};

} // namespace lbl::preview
