// The preview pane and the page view inside it.
#include "preview/PreviewPane.h"

#include "report/Painter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace lbl::preview {

namespace {

constexpr qreal mmPerInch = 25.4;
constexpr qreal zoomStep = 1.25;
// Grey around the page, wide enough for the shadow.
constexpr int deskMarginPx = 8;
constexpr int shadowPx = 3;
constexpr int toolIconPx = 14;
const QColor deskColor(0x9a, 0x9a, 0x9a);

QString preferencesPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/labelprint/engine.conf");
}

const QString zoomKey = QStringLiteral("preview/zoom");

} // namespace

/// The page itself, on its grey desk.
class PageView : public QWidget
{
public:
    explicit PageView(PreviewPane& pane)
        : QWidget(nullptr)
        , m_pane(pane)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), deskColor);
        const report::PreparedPage* page = m_pane.shownPage();
        if (page == nullptr || page->sizeMm.isEmpty()) {
            return;
        }
        const QSize sizePx = m_pane.drawnPageSize();
        const QRectF target(QPointF((width() - sizePx.width()) / 2.0, (height() - sizePx.height()) / 2.0),
                            QSizeF(sizePx));
        painter.setPen(Qt::NoPen);
        for (int i = shadowPx; i >= 1; --i) {
            painter.setBrush(QColor(0, 0, 0, 24 + 16 * (shadowPx - i)));
            painter.drawRect(target.translated(i, i));
        }
        painter.fillRect(target, Qt::white);
        painter.setRenderHint(QPainter::Antialiasing, true);
        // Device dpi of the page as drawn, so bars round to the printer's dots at this zoom.
        const qreal deviceDpi = target.width() / page->sizeMm.width() * mmPerInch;
        report::paintPage(painter, *page, target, deviceDpi, m_pane.dotDpi());
    }

private:
    PreviewPane& m_pane;
};

PreviewPane::PreviewPane(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("PreviewPane"));
    auto tool = [this](QStyle::StandardPixmap icon, const QString& text, const QString& tip) {
        auto* button = new QToolButton(this);
        if (icon != QStyle::SP_CustomBase) {
            button->setIcon(style()->standardIcon(icon));
        } else {
            button->setText(text);
        }
        button->setToolTip(tip);
        button->setAutoRaise(true);
        button->setIconSize(QSize(toolIconPx, toolIconPx));
        button->setFixedSize(toolIconPx + 6, toolIconPx + 6);
        return button;
    };
    m_first = tool(QStyle::SP_MediaSkipBackward, QString(), QStringLiteral("First page"));
    m_previous = tool(QStyle::SP_MediaSeekBackward, QString(), QStringLiteral("Previous page"));
    m_next = tool(QStyle::SP_MediaSeekForward, QString(), QStringLiteral("Next page"));
    m_last = tool(QStyle::SP_MediaSkipForward, QString(), QStringLiteral("Last page"));
    m_zoomOut = tool(QStyle::SP_CustomBase, QStringLiteral("\u2212"), QStringLiteral("Zoom out"));
    m_zoomIn = tool(QStyle::SP_CustomBase, QStringLiteral("+"), QStringLiteral("Zoom in"));
    m_zoomFit = tool(QStyle::SP_CustomBase, QStringLiteral("Fit"), QStringLiteral("Fit the page"));
    m_zoomFit->setFixedWidth(toolIconPx * 2);
    m_zoomFit->setCheckable(true);
    m_first->setObjectName(QStringLiteral("firstPage"));
    m_previous->setObjectName(QStringLiteral("previousPage"));
    m_next->setObjectName(QStringLiteral("nextPage"));
    m_last->setObjectName(QStringLiteral("lastPage"));
    m_zoomIn->setObjectName(QStringLiteral("zoomIn"));
    m_zoomOut->setObjectName(QStringLiteral("zoomOut"));
    m_zoomFit->setObjectName(QStringLiteral("zoomFit"));
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("pageLabel"));
    QFont small = m_pageLabel->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_pageLabel->setFont(small);
    m_pageLabel->setAlignment(Qt::AlignCenter);
    m_pageLabel->setMinimumWidth(0);
    m_pageLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(2, 1, 2, 1);
    bar->setSpacing(0);
    bar->addWidget(m_first);
    bar->addWidget(m_previous);
    bar->addWidget(m_pageLabel, 1);
    bar->addWidget(m_next);
    bar->addWidget(m_last);
    bar->addSpacing(4);
    bar->addWidget(m_zoomOut);
    bar->addWidget(m_zoomIn);
    bar->addWidget(m_zoomFit);

    m_view = new PageView(*this);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(m_view);
    m_scroll->setWidgetResizable(false);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setBackgroundRole(QPalette::Dark);
    QPalette desk = m_scroll->palette();
    desk.setColor(QPalette::Dark, deskColor);
    m_scroll->setPalette(desk);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addWidget(m_scroll, 1);

    connect(m_first, &QToolButton::clicked, this, &PreviewPane::firstPage);
    connect(m_previous, &QToolButton::clicked, this, &PreviewPane::previousPage);
    connect(m_next, &QToolButton::clicked, this, &PreviewPane::nextPage);
    connect(m_last, &QToolButton::clicked, this, &PreviewPane::lastPage);
    connect(m_zoomIn, &QToolButton::clicked, this, &PreviewPane::zoomIn);
    connect(m_zoomOut, &QToolButton::clicked, this, &PreviewPane::zoomOut);
    connect(m_zoomFit, &QToolButton::clicked, this, &PreviewPane::zoomToFit);

    const QSettings preferences(preferencesPath(), QSettings::IniFormat);
    const qreal saved = preferences.value(zoomKey, 0.0).toDouble();
    if (saved >= minZoom && saved <= maxZoom) {
        m_fit = false;
        m_zoom = saved;
    }
    reset(0);
}

PreviewPane::~PreviewPane() = default;

void PreviewPane::clear()
{
    m_pages.clear();
    m_snapshot.reset();
    reset(0);
}

void PreviewPane::setPages(const report::PreparedReport& pages)
{
    m_snapshot.reset();
    m_pages = pages.pages;
    reset(m_pages.size());
}

void PreviewPane::setSnapshot(const report::Report& report, const QString& alias,
                              const data::RecordSet* records, qsizetype pageCount)
{
    m_pages.clear();
    auto snapshot = std::make_unique<Snapshot>();
    snapshot->report = report;
    if (records != nullptr) {
        // Record values are shared with the original until either side changes them.
        snapshot->records = *records;
        snapshot->hasRecords = true;
    }
    snapshot->source.setDataSet(snapshot->hasRecords ? &snapshot->records : nullptr);
    snapshot->link = std::make_unique<report::DataLink>(alias, &snapshot->source);
    m_snapshot = std::move(snapshot);
    reset(std::max<qsizetype>(pageCount, 0));
}

void PreviewPane::reset(qsizetype pageCount)
{
    m_cache.clear();
    m_pageCount = pageCount;
    m_current = 0;
    relayout();
    emit pageChanged(m_current);
}

void PreviewPane::setDotDpi(int dpi)
{
    m_dotDpi = std::max(dpi, 0);
    m_view->update();
}

void PreviewPane::setCurrentPage(qsizetype index)
{
    const qsizetype clamped = std::clamp<qsizetype>(index, 0, std::max<qsizetype>(m_pageCount - 1, 0));
    if (clamped == m_current) {
        return;
    }
    m_current = clamped;
    relayout();
    emit pageChanged(m_current);
}

void PreviewPane::firstPage()
{
    setCurrentPage(0);
}

void PreviewPane::previousPage()
{
    setCurrentPage(m_current - 1);
}

void PreviewPane::nextPage()
{
    setCurrentPage(m_current + 1);
}

void PreviewPane::lastPage()
{
    setCurrentPage(m_pageCount - 1);
}

QString PreviewPane::pageText() const
{
    if (m_pageCount == 0) {
        return QStringLiteral("No pages");
    }
    return QStringLiteral("Page %1 of %2").arg(m_current + 1).arg(m_pageCount);
}

const report::PreparedPage* PreviewPane::shownPage()
{
    if (m_pageCount == 0) {
        return nullptr;
    }
    if (!m_snapshot) {
        return m_current < m_pages.size() ? &m_pages.at(m_current) : nullptr;
    }
    auto found = m_cache.find(m_current);
    if (found != m_cache.end()) {
        return &found->second;
    }
    // Pages can only be prepared from the start; keep the one asked for and its neighbours, so
    // stepping through the run prepares again only every few pages.
    const qsizetype from = std::max<qsizetype>(m_current - 1, 0);
    const qsizetype to = m_current + cacheLimit - 2;
    m_cache.clear();
    report::ErrorList ignored; // the run that made the snapshot showed them already
    report::preparePages(m_snapshot->report, report::DataLinks{m_snapshot->link.get()}, ignored,
                         [&](const report::PreparedPage& page, qsizetype index, qsizetype) {
                             if (index >= from) {
                                 m_cache.emplace(index, page);
                             }
                             return index < to;
                         });
    found = m_cache.find(m_current);
    return found != m_cache.end() ? &found->second : nullptr;
}

qsizetype PreviewPane::heldPages() const
{
    return m_snapshot ? static_cast<qsizetype>(m_cache.size()) : m_pages.size();
}

qreal PreviewPane::screenDpi() const
{
    return logicalDpiX() > 0 ? logicalDpiX() : 96;
}

qreal PreviewPane::fitZoom()
{
    const report::PreparedPage* page = shownPage();
    if (page == nullptr || page->sizeMm.isEmpty()) {
        return 1.0;
    }
    const QSize area = m_scroll->maximumViewportSize() - QSize(2 * deskMarginPx, 2 * deskMarginPx);
    const qreal pxPerMm = screenDpi() / mmPerInch;
    const qreal byWidth = area.width() / (page->sizeMm.width() * pxPerMm);
    const qreal byHeight = area.height() / (page->sizeMm.height() * pxPerMm);
    return std::clamp(std::min(byWidth, byHeight), minZoom, maxZoom);
}

qreal PreviewPane::zoom()
{
    return m_fit ? fitZoom() : m_zoom;
}

QSize PreviewPane::drawnPageSize()
{
    const report::PreparedPage* page = shownPage();
    if (page == nullptr || page->sizeMm.isEmpty()) {
        return QSize();
    }
    const qreal pxPerMm = screenDpi() / mmPerInch * zoom();
    return QSize(static_cast<int>(std::floor(page->sizeMm.width() * pxPerMm)),
                 static_cast<int>(std::floor(page->sizeMm.height() * pxPerMm)));
}

void PreviewPane::setZoom(qreal zoom, bool fit)
{
    m_fit = fit;
    m_zoom = std::clamp(zoom, minZoom, maxZoom);
    saveZoom();
    relayout();
}

void PreviewPane::zoomIn()
{
    setZoom(zoom() * zoomStep, false);
}

void PreviewPane::zoomOut()
{
    setZoom(zoom() / zoomStep, false);
}

void PreviewPane::zoomToFit()
{
    setZoom(m_zoom, true);
}

void PreviewPane::saveZoom() const
{
    QSettings preferences(preferencesPath(), QSettings::IniFormat);
    preferences.setValue(zoomKey, m_fit ? 0.0 : m_zoom);
}

void PreviewPane::relayout()
{
    const QSize page = drawnPageSize();
    QSize viewSize = m_scroll->maximumViewportSize();
    if (!page.isEmpty()) {
        viewSize = viewSize.expandedTo(page + QSize(2 * deskMarginPx, 2 * deskMarginPx));
    }
    if (m_fit) {
        // Fitting never needs scroll bars; they would take room and make the fit wrong.
        m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        viewSize = m_scroll->maximumViewportSize();
    } else {
        m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
    m_view->resize(viewSize);
    m_view->update();
    updateControls();
}

void PreviewPane::updateControls()
{
    m_pageLabel->setText(pageText());
    m_first->setEnabled(m_current > 0);
    m_previous->setEnabled(m_current > 0);
    m_next->setEnabled(m_current + 1 < m_pageCount);
    m_last->setEnabled(m_current + 1 < m_pageCount);
    m_zoomIn->setEnabled(m_pageCount > 0 && zoom() < maxZoom);
    m_zoomOut->setEnabled(m_pageCount > 0 && zoom() > minZoom);
    m_zoomFit->setChecked(m_fit);
}

void PreviewPane::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void PreviewPane::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    relayout();
}

} // namespace lbl::preview
