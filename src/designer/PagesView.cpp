// Painting prepared pages in a column, through the report painter.
#include "designer/PagesView.h"

#include "report/Painter.h"

#include <QPainter>

#include <cmath>

namespace lbl::designer {

namespace {

constexpr qreal kGapPx = 16;
constexpr qreal kMmPerInch = 25.4;
constexpr qreal kPrinterDpi = 300;

} // namespace

PagesView::PagesView(QWidget* parent)
    : QWidget(parent)
{
}

void PagesView::setPages(const report::PreparedReport& pages)
{
    m_pages = pages;
    setMinimumSize(sizeHint());
    update();
}

void PagesView::setZoom(qreal zoom)
{
    m_zoom = zoom;
    setMinimumSize(sizeHint());
    update();
}

QVector<QRectF> PagesView::pageRects() const
{
    const qreal s = m_zoom * logicalDpiX() / kMmPerInch;
    QVector<QRectF> rects;
    qreal y = kGapPx;
    for (const report::PreparedPage& page : m_pages.pages) {
        rects.append(QRectF(kGapPx, y, page.sizeMm.width() * s, page.sizeMm.height() * s));
        y += page.sizeMm.height() * s + kGapPx;
    }
    return rects;
}

QSize PagesView::sizeHint() const
{
    qreal w = 200;
    qreal h = 200;
    for (const QRectF& r : pageRects()) {
        w = std::max(w, r.right() + kGapPx);
        h = std::max(h, r.bottom() + kGapPx);
    }
    return QSize(int(std::ceil(w)), int(std::ceil(h)));
}

void PagesView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Dark));
    const QVector<QRectF> rects = pageRects();
    const qreal s = m_zoom * logicalDpiX() / kMmPerInch;
    for (qsizetype i = 0; i < rects.size(); ++i) {
        if (!rects[i].intersects(QRectF(rect()))) {
            continue;
        }
        p.fillRect(rects[i].translated(3, 3), QColor(0, 0, 0, 60));
        p.fillRect(rects[i], Qt::white);
        p.setRenderHint(QPainter::Antialiasing);
        report::paintPage(p, m_pages.pages[i], rects[i], s * kMmPerInch, kPrinterDpi);
    }
    if (rects.isEmpty()) {
        p.setPen(palette().color(QPalette::BrightText));
        p.drawText(rect(), Qt::AlignCenter, tr("No pages: no record reached a master-data band."));
    }
}

} // namespace lbl::designer
