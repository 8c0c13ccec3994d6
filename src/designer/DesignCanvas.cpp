// The design surface: painting through the report painter and the mouse and key edits.
#include "designer/DesignCanvas.h"

#include "report/Expression.h"
#include "report/Painter.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace lbl::designer {

namespace {

constexpr qreal kRulerPx = 22;
constexpr qreal kPadPx = 28;
constexpr qreal kHandlePx = 7;
constexpr qreal kEdgePx = 4;
constexpr qreal kMinZoom = 0.5;
constexpr qreal kMaxZoom = 4;
constexpr qreal kMmPerInch = 25.4;
// Bars are rounded to the dots of a typical label printer, so the design looks like the print.
constexpr qreal kPrinterDpi = 300;
constexpr qreal kFineStepMm = 0.1;
constexpr qreal kMinDragPx = 3;
const QColor kWorkspaceEnd(218, 214, 182);
const QColor kSelection(0x2f, 0x80, 0xed);

QString bandCaption(const report::Band& band)
{
    switch (band.type) {
    case report::BandType::PageHeader:
        return QObject::tr("Page header: %1").arg(band.name);
    case report::BandType::PageFooter:
        return QObject::tr("Page footer: %1").arg(band.name);
    case report::BandType::MasterData:
        break;
    }
    return band.dataSet.isEmpty() ? QObject::tr("Master data: %1").arg(band.name)
                                  : QObject::tr("Master data: %1 (%2)").arg(band.name, band.dataSet);
}

QColor bandTint(report::BandType type)
{
    switch (type) {
    case report::BandType::PageHeader:
    case report::BandType::PageFooter:
        return QColor(0xf3, 0xee, 0xff);
    case report::BandType::MasterData:
        break;
    }
    return QColor(0xee, 0xf5, 0xff);
}

} // namespace

QString fieldExpression(const QString& field)
{
    QString quoted = field;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QStringLiteral("[%1.\"%2\"]").arg(report::defaultDataSetAlias, quoted);
}

DesignCanvas::DesignCanvas(DesignDocument& document, report::DataLinks links, QWidget* parent)
    : QWidget(parent)
    , m_doc(document)
    , m_links(std::move(links))
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&m_doc, &DesignDocument::changed, this, [this] {
        updateGeometryForZoom();
        update();
    });
    connect(&m_doc, &DesignDocument::selectionChanged, this, qOverload<>(&QWidget::update));
    updateGeometryForZoom();
}

void DesignCanvas::setZoom(qreal zoom)
{
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    if (qFuzzyCompare(zoom, m_zoom)) {
        return;
    }
    m_zoom = zoom;
    cancelTextEdit();
    updateGeometryForZoom();
    update();
    emit zoomChanged(m_zoom);
}

qreal DesignCanvas::fitZoom(QSize viewport) const
{
    const QSizeF mm = viewSizeMm();
    if (mm.isEmpty()) {
        return 1;
    }
    const qreal base = logicalDpiX() / kMmPerInch;
    const qreal zx = (viewport.width() - kRulerPx - 2 * kPadPx) / (mm.width() * base);
    const qreal zy = (viewport.height() - kRulerPx - 2 * kPadPx) / (mm.height() * base);
    return std::clamp(std::min(zx, zy), kMinZoom, kMaxZoom);
}

void DesignCanvas::setTool(Tool tool)
{
    if (tool == m_tool) {
        return;
    }
    m_tool = tool;
    setCursor(tool == Tool::Select ? Qt::ArrowCursor : Qt::CrossCursor);
    emit toolChanged(tool);
}

void DesignCanvas::setGridStep(qreal mm)
{
    m_gridMm = std::max(kFineStepMm, mm);
    update();
}

void DesignCanvas::setShowGrid(bool on)
{
    m_showGrid = on;
    update();
}

qreal DesignCanvas::pixelsPerMm() const
{
    return m_zoom * logicalDpiX() / kMmPerInch;
}

QPointF DesignCanvas::toWidget(QPointF pageMm) const
{
    const qreal s = pixelsPerMm();
    return {kRulerPx + kPadPx + pageMm.x() * s, kRulerPx + kPadPx + pageMm.y() * s};
}

QPointF DesignCanvas::toPageMm(QPointF widget) const
{
    const qreal s = pixelsPerMm();
    return {(widget.x() - kRulerPx - kPadPx) / s, (widget.y() - kRulerPx - kPadPx) / s};
}

QRectF DesignCanvas::toWidget(const QRectF& pageMm) const
{
    return {toWidget(pageMm.topLeft()), toWidget(pageMm.bottomRight())};
}

QSizeF DesignCanvas::viewSizeMm() const
{
    if (m_doc.report().pages.isEmpty()) {
        return {};
    }
    const report::Page& page = m_doc.page();
    qreal height = page.heightMm;
    for (const report::Band& band : page.bands) {
        height = std::max(height, band.topMm + band.heightMm + page.margins.bottomMm);
    }
    return {page.widthMm, height};
}

QRectF DesignCanvas::pageRectPx() const
{
    return toWidget(QRectF(QPointF(0, 0), viewSizeMm()));
}

QSize DesignCanvas::sizeHint() const
{
    const QRectF page = pageRectPx();
    return QSize(int(std::ceil(page.right() + kPadPx)), int(std::ceil(page.bottom() + kPadPx)));
}

void DesignCanvas::updateGeometryForZoom()
{
    const QSize hint = sizeHint();
    if (hint != minimumSize()) {
        setMinimumSize(hint);
        resize(std::max(width(), hint.width()), std::max(height(), hint.height()));
        updateGeometry();
    }
}

qsizetype DesignCanvas::bandAt(QPointF pageMm) const
{
    if (m_doc.report().pages.isEmpty() || pageMm.x() < 0 || pageMm.x() > m_doc.page().widthMm) {
        return -1;
    }
    const auto& bands = m_doc.page().bands;
    for (qsizetype i = bands.size() - 1; i >= 0; --i) {
        const QRectF r = m_doc.bandRectMm(i);
        if (pageMm.y() >= r.top() && pageMm.y() < r.bottom()) {
            return i;
        }
    }
    return -1;
}

ObjectRef DesignCanvas::objectAt(QPointF widget) const
{
    if (m_doc.report().pages.isEmpty()) {
        return {};
    }
    const auto& bands = m_doc.page().bands;
    for (qsizetype b = bands.size() - 1; b >= 0; --b) {
        for (qsizetype o = bands[b].objects.size() - 1; o >= 0; --o) {
            const ObjectRef ref{b, o};
            // Lines may have no width or height: give them a few pixels to be caught by.
            const QRectF px = toWidget(m_doc.objectPageRectMm(ref)).normalized().adjusted(-3, -3, 3, 3);
            if (px.contains(widget)) {
                return ref;
            }
        }
    }
    return {};
}

QVector<QRectF> DesignCanvas::handleRects(const QRectF& px) const
{
    const qreal h = kHandlePx / 2;
    const QPointF points[] = {px.topLeft(),     QPointF(px.center().x(), px.top()),
                              px.topRight(),    QPointF(px.right(), px.center().y()),
                              px.bottomRight(), QPointF(px.center().x(), px.bottom()),
                              px.bottomLeft(),  QPointF(px.left(), px.center().y())};
    QVector<QRectF> rects;
    for (const QPointF& p : points) {
        rects.append(QRectF(p.x() - h, p.y() - h, kHandlePx, kHandlePx));
    }
    return rects;
}

int DesignCanvas::handleAt(QPointF widget) const
{
    if (m_doc.selection().size() != 1) {
        return -1;
    }
    const QVector<QRectF> rects = handleRects(toWidget(m_doc.objectPageRectMm(m_doc.selection().first())));
    for (int i = 0; i < rects.size(); ++i) {
        if (rects[i].adjusted(-1, -1, 1, 1).contains(widget)) {
            return i;
        }
    }
    return -1;
}

qsizetype DesignCanvas::bandEdgeAt(QPointF widget) const
{
    if (m_doc.report().pages.isEmpty()) {
        return -1;
    }
    const QRectF page = pageRectPx();
    if (widget.x() < page.left() || widget.x() > page.right()) {
        return -1;
    }
    for (qsizetype i = 0; i < m_doc.page().bands.size(); ++i) {
        const qreal bottom = toWidget(m_doc.bandRectMm(i).bottomLeft()).y();
        if (std::abs(widget.y() - bottom) <= kEdgePx) {
            return i;
        }
    }
    return -1;
}

qreal DesignCanvas::snapped(qreal mm) const
{
    return m_snap ? std::round(mm / m_gridMm) * m_gridMm : mm;
}

report::PreparedPage DesignCanvas::preparedView() const
{
    report::PreparedPage view;
    view.sizeMm = viewSizeMm();
    if (m_doc.report().pages.isEmpty()) {
        return view;
    }
    const report::DataLink* link = m_links.find(report::defaultDataSetAlias);
    const data::RecordSet* set = link != nullptr ? link->recordSet() : nullptr;
    const bool hasRecord = set != nullptr && set->isActive() && set->recordCount() > 0 && !set->eof();
    report::ExpressionContext context;
    context.links = &m_links;
    context.line = hasRecord ? set->recNo() + 1 : 1;
    context.now = QDateTime::currentDateTime();

    const report::Page& page = m_doc.page();
    for (qsizetype b = 0; b < page.bands.size(); ++b) {
        const QPointF origin = m_doc.bandRectMm(b).topLeft();
        for (const report::ReportObject& object : page.bands[b].objects) {
            report::PreparedItem item;
            item.boxMm = object.boxMm.translated(origin);
            item.content = object.content;
            // Without a record the design shows the expressions themselves.
            auto resolve = [&](QString& text) {
                if (!hasRecord) {
                    return false;
                }
                report::ErrorList errors;
                const QString value = report::evaluateText(text, context, errors);
                if (!errors.isEmpty()) {
                    return false;
                }
                text = value;
                return true;
            };
            if (auto* text = std::get_if<report::TextObject>(&item.content)) {
                resolve(text->text);
            } else if (auto* barcode = std::get_if<report::BarcodeObject>(&item.content)) {
                if (!resolve(barcode->data) && !barcode->sampleText.isEmpty()) {
                    barcode->data = barcode->sampleText;
                }
                item.symbol = report::encodeBarcode(barcode->style, barcode->data);
            } else if (const auto* picture = std::get_if<report::PictureObject>(&item.content)) {
                item.image = QImage::fromData(picture->imageData);
            }
            view.items.append(item);
        }
    }
    return view;
}

void DesignCanvas::refresh()
{
    update();
}

void DesignCanvas::paintRulers(QPainter& p) const
{
    const QColor face = palette().color(QPalette::Window).lighter(104);
    p.fillRect(QRectF(0, 0, width(), kRulerPx), face);
    p.fillRect(QRectF(0, 0, kRulerPx, height()), face);
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(QPointF(0, kRulerPx - 0.5), QPointF(width(), kRulerPx - 0.5));
    p.drawLine(QPointF(kRulerPx - 0.5, 0), QPointF(kRulerPx - 0.5, height()));
    const qreal s = pixelsPerMm();
    const int labelEvery = s >= 6 ? 10 : (s >= 3 ? 20 : 50);
    QFont font = p.font();
    font.setPixelSize(9);
    p.setFont(font);
    const QSizeF mm = viewSizeMm();
    const QColor ink = palette().color(QPalette::WindowText);
    for (int i = 0; i <= int(mm.width()); ++i) {
        const qreal x = toWidget(QPointF(i, 0)).x();
        const qreal len = i % 10 == 0 ? 9 : (i % 5 == 0 ? 6 : 3);
        if (s < 3 && i % 5 != 0) {
            continue;
        }
        p.setPen(ink);
        p.drawLine(QPointF(x, kRulerPx - len), QPointF(x, kRulerPx - 1));
        if (i % labelEvery == 0) {
            p.drawText(QPointF(x + 2, 10), QString::number(i));
        }
    }
    for (int i = 0; i <= int(mm.height()); ++i) {
        const qreal y = toWidget(QPointF(0, i)).y();
        const qreal len = i % 10 == 0 ? 9 : (i % 5 == 0 ? 6 : 3);
        if (s < 3 && i % 5 != 0) {
            continue;
        }
        p.setPen(ink);
        p.drawLine(QPointF(kRulerPx - len, y), QPointF(kRulerPx - 1, y));
        if (i % labelEvery == 0) {
            p.save();
            p.translate(10, y + 2);
            p.rotate(90);
            p.drawText(QPointF(0, 0), QString::number(i));
            p.restore();
        }
    }
    p.fillRect(QRectF(0, 0, kRulerPx - 1, kRulerPx - 1), face);
    p.setPen(ink);
    p.drawText(QRectF(0, 0, kRulerPx, kRulerPx), Qt::AlignCenter, QStringLiteral("mm"));
}

void DesignCanvas::paintGrid(QPainter& p) const
{
    const qreal s = pixelsPerMm();
    qreal step = m_gridMm;
    while (step * s < 6) {
        step *= 5;
    }
    const QSizeF mm = viewSizeMm();
    p.setPen(QPen(QColor(0, 0, 0, 40), 1));
    QVector<QPointF> dots;
    for (qreal y = step; y < mm.height(); y += step) {
        for (qreal x = step; x < mm.width(); x += step) {
            dots.append(toWidget(QPointF(x, y)));
        }
    }
    p.drawPoints(dots.constData(), int(dots.size()));
}

void DesignCanvas::paintBands(QPainter& p) const
{
    const report::Page& page = m_doc.page();
    QFont font = p.font();
    font.setPixelSize(10);
    p.setFont(font);
    for (qsizetype i = 0; i < page.bands.size(); ++i) {
        const report::Band& band = page.bands[i];
        const QRectF r = toWidget(m_doc.bandRectMm(i));
        QColor tint = bandTint(band.type);
        tint.setAlpha(150);
        p.fillRect(r, tint);
        p.setPen(QPen(QColor(0x7a, 0x9c, 0xc6), 1, Qt::DashLine));
        p.drawRect(r);
        p.setPen(QPen(QColor(0x4a, 0x6f, 0xa5), 2));
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.setPen(QColor(0x4a, 0x6f, 0xa5, 170));
        p.drawText(r.adjusted(3, 1, -3, -1), Qt::AlignRight | Qt::AlignTop, bandCaption(band));
    }
    // Further label columns repeat the first one.
    const int columns = std::max(1, page.columns.count);
    for (int c = 1; c < columns && !page.bands.isEmpty(); ++c) {
        const QRectF first = m_doc.bandRectMm(0);
        const qreal x = first.left() + c * (first.width() + page.columns.gapMm);
        p.setPen(QPen(QColor(0x7a, 0x9c, 0xc6), 1, Qt::DotLine));
        const qreal px = toWidget(QPointF(x, 0)).x();
        p.drawLine(QPointF(px, pageRectPx().top()), QPointF(px, pageRectPx().bottom()));
    }
}

void DesignCanvas::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, palette().color(QPalette::Window));
    gradient.setColorAt(1, kWorkspaceEnd);
    p.fillRect(rect(), gradient);
    if (m_doc.report().pages.isEmpty()) {
        paintRulers(p);
        return;
    }
    const QRectF page = pageRectPx();
    p.fillRect(page.translated(3, 3), QColor(0, 0, 0, 45));
    p.fillRect(page, Qt::white);
    if (m_showGrid) {
        paintGrid(p);
    }
    const report::Page& pg = m_doc.page();
    p.setPen(QPen(QColor(0xbb, 0xbb, 0xbb), 1, Qt::DashLine));
    p.drawRect(toWidget(QRectF(pg.margins.leftMm, pg.margins.topMm,
                               pg.widthMm - pg.margins.leftMm - pg.margins.rightMm,
                               viewSizeMm().height() - pg.margins.topMm - pg.margins.bottomMm)));
    paintBands(p);

    const report::PreparedPage view = preparedView();
    p.setRenderHint(QPainter::Antialiasing);
    report::paintPage(p, view, page, pixelsPerMm() * kMmPerInch, kPrinterDpi);
    p.setRenderHint(QPainter::Antialiasing, false);

    // Object outlines, and what could not be drawn.
    for (qsizetype b = 0; b < pg.bands.size(); ++b) {
        for (qsizetype o = 0; o < pg.bands[b].objects.size(); ++o) {
            const ObjectRef ref{b, o};
            const QRectF r = toWidget(m_doc.objectPageRectMm(ref));
            p.setPen(QPen(QColor(0x90, 0x90, 0x90, 120), 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(r);
        }
    }
    qsizetype n = 0;
    for (qsizetype b = 0; b < pg.bands.size(); ++b) {
        for (qsizetype o = 0; o < pg.bands[b].objects.size(); ++o, ++n) {
            const report::PreparedItem& item = view.items[n];
            if (std::holds_alternative<report::BarcodeObject>(item.content) && !item.symbol.isValid()) {
                const QRectF r = toWidget(item.boxMm);
                p.fillRect(r, QBrush(QColor(220, 60, 60, 60), Qt::BDiagPattern));
                p.setPen(QColor(180, 40, 40));
                QFont f = font();
                f.setPixelSize(10);
                p.setFont(f);
                p.drawText(r.adjusted(2, 2, -2, -2), Qt::AlignCenter | Qt::TextWordWrap,
                           tr("Barcode cannot show: %1").arg(item.symbol.error));
            }
        }
    }

    for (const ObjectRef& ref : m_doc.selection()) {
        const QRectF r = toWidget(m_doc.objectPageRectMm(ref));
        p.setPen(QPen(kSelection, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
        if (m_doc.selection().size() == 1) {
            p.setPen(QPen(kSelection, 1));
            p.setBrush(Qt::white);
            for (const QRectF& h : handleRects(r)) {
                p.drawRect(h);
            }
        }
    }
    if (m_drag == Drag::Rubber || m_drag == Drag::Create) {
        const QRectF r = QRectF(m_pressPx, m_currentPx).normalized();
        p.setPen(QPen(kSelection, 1, m_drag == Drag::Create ? Qt::DashLine : Qt::SolidLine));
        p.setBrush(QColor(0x2f, 0x80, 0xed, 40));
        p.drawRect(r);
    }
    paintRulers(p);
    // Where the cursor is, on the rulers.
    if (underMouse()) {
        const QPointF at = mapFromGlobal(QCursor::pos());
        p.setPen(kSelection);
        p.drawLine(QPointF(at.x(), 0), QPointF(at.x(), kRulerPx));
        p.drawLine(QPointF(0, at.y()), QPointF(kRulerPx, at.y()));
    }
}

void DesignCanvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_doc.report().pages.isEmpty()) {
        return;
    }
    commitTextEdit();
    setFocus(Qt::MouseFocusReason);
    m_pressPx = event->position();
    m_currentPx = m_pressPx;
    m_pressMm = toPageMm(m_pressPx);
    m_moved = false;
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);

    if (m_tool != Tool::Select) {
        m_dragBand = bandAt(m_pressMm);
        if (m_dragBand >= 0) {
            m_drag = Drag::Create;
        }
        return;
    }
    m_handle = handleAt(m_pressPx);
    if (m_handle >= 0) {
        m_drag = Drag::Resize;
        m_startBoxes = {m_doc.object(m_doc.selection().first())->boxMm};
        m_doc.beginEdit();
        return;
    }
    const ObjectRef hit = objectAt(m_pressPx);
    if (hit.band < 0) {
        m_dragBand = bandEdgeAt(m_pressPx);
        if (m_dragBand >= 0) {
            m_drag = Drag::BandResize;
            m_startBandHeight = m_doc.page().bands[m_dragBand].heightMm;
            m_doc.beginEdit();
            return;
        }
        m_drag = Drag::Rubber;
        m_startSelection = shift ? m_doc.selection() : QVector<ObjectRef>();
        if (!shift) {
            m_doc.clearSelection();
        }
        const qsizetype band = bandAt(m_pressMm);
        if (band >= 0) {
            m_doc.setCurrentBand(band);
        }
        update();
        return;
    }
    if (shift) {
        QVector<ObjectRef> sel = m_doc.selection();
        if (sel.contains(hit)) {
            sel.removeAll(hit);
        } else {
            sel.append(hit);
        }
        m_doc.setSelection(sel);
        if (!sel.contains(hit)) {
            return;
        }
    } else if (!m_doc.isSelected(hit)) {
        m_doc.setSelection({hit});
    }
    m_drag = Drag::Move;
    m_startBoxes.clear();
    for (const ObjectRef& ref : m_doc.selection()) {
        m_startBoxes.append(m_doc.object(ref)->boxMm);
    }
    m_doc.beginEdit();
}

void DesignCanvas::mouseMoveEvent(QMouseEvent* event)
{
    m_currentPx = event->position();
    const QPointF mm = toPageMm(m_currentPx);
    emit cursorMoved(mm);
    if ((m_currentPx - m_pressPx).manhattanLength() >= kMinDragPx) {
        m_moved = true;
    }
    const QPointF delta = mm - m_pressMm;
    switch (m_drag) {
    case Drag::None:
        updateCursor(m_currentPx);
        update();
        return;
    case Drag::Move: {
        if (!m_moved) {
            return;
        }
        const QPointF step(snapped(delta.x()), snapped(delta.y()));
        const QVector<ObjectRef> sel = m_doc.selection();
        m_doc.editReport([&](report::Report&) {
            for (qsizetype i = 0; i < sel.size() && i < m_startBoxes.size(); ++i) {
                m_doc.object(sel[i])->boxMm = m_startBoxes[i].translated(step);
            }
        });
        break;
    }
    case Drag::Resize: {
        QRectF box = m_startBoxes.first();
        const qreal dx = snapped(delta.x());
        const qreal dy = snapped(delta.y());
        // Handles run clockwise from the top-left corner.
        if (m_handle == 0 || m_handle == 6 || m_handle == 7) {
            box.setLeft(std::min(box.left() + dx, box.right()));
        }
        if (m_handle == 2 || m_handle == 3 || m_handle == 4) {
            box.setRight(std::max(box.right() + dx, box.left()));
        }
        if (m_handle == 0 || m_handle == 1 || m_handle == 2) {
            box.setTop(std::min(box.top() + dy, box.bottom()));
        }
        if (m_handle == 4 || m_handle == 5 || m_handle == 6) {
            box.setBottom(std::max(box.bottom() + dy, box.top()));
        }
        m_doc.setObjectBox(m_doc.selection().first(), box);
        break;
    }
    case Drag::BandResize:
        m_doc.setBandHeight(m_dragBand, m_startBandHeight + snapped(delta.y()));
        break;
    case Drag::Rubber:
    case Drag::Create:
        update();
        break;
    }
}

void DesignCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        return;
    }
    m_currentPx = event->position();
    const Drag drag = m_drag;
    m_drag = Drag::None;
    switch (drag) {
    case Drag::Move:
    case Drag::Resize:
    case Drag::BandResize:
        m_doc.endEdit();
        break;
    case Drag::Rubber: {
        const QRectF area = QRectF(m_pressPx, m_currentPx).normalized();
        QVector<ObjectRef> sel = m_startSelection;
        const auto& bands = m_doc.page().bands;
        for (qsizetype b = 0; b < bands.size() && m_moved; ++b) {
            for (qsizetype o = 0; o < bands[b].objects.size(); ++o) {
                const ObjectRef ref{b, o};
                if (area.intersects(toWidget(m_doc.objectPageRectMm(ref)).normalized().adjusted(-1, -1, 1, 1))
                    && !sel.contains(ref)) {
                    sel.append(ref);
                }
            }
        }
        m_doc.setSelection(sel);
        update();
        break;
    }
    case Drag::Create: {
        const QRectF band = m_doc.bandRectMm(m_dragBand);
        QPointF a = m_pressMm - band.topLeft();
        QPointF b = toPageMm(m_currentPx) - band.topLeft();
        a = QPointF(snapped(a.x()), snapped(a.y()));
        b = QPointF(snapped(b.x()), snapped(b.y()));
        placeObject(m_moved ? QRectF(a, b).normalized() : QRectF(a, QSizeF()));
        update();
        break;
    }
    case Drag::None:
        break;
    }
}

void DesignCanvas::placeObject(const QRectF& bandMm)
{
    report::ObjectContent content;
    switch (m_tool) {
    case Tool::Text: {
        report::TextObject text;
        text.text = tr("Text");
        content = text;
        break;
    }
    case Tool::Barcode: {
        report::BarcodeObject barcode;
        barcode.data = QStringLiteral("12345678");
        content = barcode;
        break;
    }
    case Tool::Line:
        content = report::LineObject{};
        break;
    case Tool::Rect:
        content = report::RectObject{};
        break;
    case Tool::Picture: {
        report::PictureObject picture;
        if (m_imageLoader) {
            picture.imageData = m_imageLoader();
        }
        if (picture.imageData.isEmpty()) {
            setTool(Tool::Select);
            return;
        }
        content = picture;
        break;
    }
    case Tool::Select:
        return;
    }
    QSizeF size = bandMm.size();
    // A line drawn mostly across stays horizontal, mostly down stays vertical.
    if (m_tool == Tool::Line && !size.isNull()) {
        if (size.width() >= size.height()) {
            size.setHeight(0);
        } else {
            size.setWidth(0);
        }
    } else if (size.width() < 1 || size.height() < 1) {
        size = {};
    }
    m_doc.addObject(m_dragBand, DesignDocument::defaultObject(content, bandMm.topLeft(), size));
    setTool(Tool::Select);
}

void DesignCanvas::mouseDoubleClickEvent(QMouseEvent* event)
{
    const ObjectRef hit = objectAt(event->position());
    const report::ReportObject* object = m_doc.object(hit);
    if (object != nullptr && std::holds_alternative<report::TextObject>(object->content)) {
        m_drag = Drag::None;
        m_doc.endEdit();
        editText(hit);
    }
}

void DesignCanvas::editText(const ObjectRef& ref)
{
    const report::ReportObject* object = m_doc.object(ref);
    if (object == nullptr || !std::holds_alternative<report::TextObject>(object->content)) {
        return;
    }
    cancelTextEdit();
    m_doc.setSelection({ref});
    m_editing = ref;
    m_editor = new QPlainTextEdit(this);
    m_editor->setPlainText(std::get<report::TextObject>(object->content).text);
    m_editor->selectAll();
    QRect r = toWidget(m_doc.objectPageRectMm(ref)).toAlignedRect();
    r.setWidth(std::max(r.width(), 160));
    r.setHeight(std::max(r.height(), 48));
    m_editor->setGeometry(r);
    m_editor->setFrameShape(QFrame::Box);
    m_editor->setToolTip(tr("Ctrl+Enter applies, Esc cancels"));
    m_editor->installEventFilter(this);
    m_editor->show();
    m_editor->setFocus();
}

void DesignCanvas::commitTextEdit()
{
    if (m_editor == nullptr) {
        return;
    }
    const QString text = m_editor->toPlainText();
    const ObjectRef ref = m_editing;
    cancelTextEdit();
    m_doc.editReport([&](report::Report&) {
        if (report::ReportObject* o = m_doc.object(ref)) {
            if (auto* t = std::get_if<report::TextObject>(&o->content)) {
                t->text = text;
            }
        }
    });
}

void DesignCanvas::cancelTextEdit()
{
    if (m_editor == nullptr) {
        return;
    }
    QPlainTextEdit* editor = m_editor;
    m_editor = nullptr;
    editor->removeEventFilter(this);
    editor->hide();
    editor->deleteLater();
    setFocus();
}

bool DesignCanvas::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_editor) {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape) {
                cancelTextEdit();
                return true;
            }
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
                && key->modifiers().testFlag(Qt::ControlModifier)) {
                commitTextEdit();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            commitTextEdit();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DesignCanvas::keyPressEvent(QKeyEvent* event)
{
    const qreal step = event->modifiers().testFlag(Qt::ControlModifier) ? kFineStepMm : m_gridMm;
    QPointF delta;
    switch (event->key()) {
    case Qt::Key_Left:
        delta = {-step, 0};
        break;
    case Qt::Key_Right:
        delta = {step, 0};
        break;
    case Qt::Key_Up:
        delta = {0, -step};
        break;
    case Qt::Key_Down:
        delta = {0, step};
        break;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        m_doc.deleteSelection();
        return;
    case Qt::Key_Escape:
        if (m_tool != Tool::Select) {
            setTool(Tool::Select);
        } else {
            m_doc.clearSelection();
        }
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (m_doc.selection().isEmpty()) {
        return;
    }
    if (event->modifiers().testFlag(Qt::ShiftModifier)) {
        m_doc.editSelected(
            [delta](report::ReportObject& o) {
                o.boxMm.setWidth(std::max(0.0, o.boxMm.width() + delta.x()));
                o.boxMm.setHeight(std::max(0.0, o.boxMm.height() + delta.y()));
            },
            QStringLiteral("key-size"));
    } else {
        m_doc.editSelected([delta](report::ReportObject& o) { o.boxMm.translate(delta); },
                           QStringLiteral("key-move"));
    }
}

void DesignCanvas::wheelEvent(QWheelEvent* event)
{
    if (!event->modifiers().testFlag(Qt::ControlModifier)) {
        event->ignore();
        return;
    }
    const qreal factor = event->angleDelta().y() > 0 ? 1.25 : 0.8;
    setZoom(m_zoom * factor);
    event->accept();
}

void DesignCanvas::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasFormat(kFieldMimeType)) {
        event->acceptProposedAction();
    }
}

void DesignCanvas::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasFormat(kFieldMimeType) && bandAt(toPageMm(event->position())) >= 0) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void DesignCanvas::dropEvent(QDropEvent* event)
{
    if (!event->mimeData()->hasFormat(kFieldMimeType)) {
        return;
    }
    const QString field = QString::fromUtf8(event->mimeData()->data(kFieldMimeType));
    const bool asBarcode = event->modifiers().testFlag(Qt::ControlModifier);
    if (dropField(field, toPageMm(event->position()), asBarcode).band >= 0) {
        event->acceptProposedAction();
        setFocus();
    }
}

ObjectRef DesignCanvas::dropField(const QString& field, QPointF pageMm, bool asBarcode)
{
    const qsizetype band = bandAt(pageMm);
    if (band < 0 || field.isEmpty()) {
        return {};
    }
    const QPointF local = pageMm - m_doc.bandRectMm(band).topLeft();
    const QPointF at(snapped(local.x()), snapped(local.y()));
    report::ReportObject object;
    if (asBarcode) {
        report::BarcodeObject barcode;
        barcode.data = fieldExpression(field);
        barcode.style.symbology = report::Symbology::Code128;
        object = DesignDocument::defaultObject(barcode, at);
    } else {
        report::TextObject text;
        text.text = fieldExpression(field);
        object = DesignDocument::defaultObject(text, at);
    }
    return m_doc.addObject(band, object);
}

void DesignCanvas::updateCursor(QPointF widget)
{
    if (m_tool != Tool::Select) {
        setCursor(Qt::CrossCursor);
        return;
    }
    const int handle = handleAt(widget);
    if (handle >= 0) {
        static const Qt::CursorShape shapes[] = {
            Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor, Qt::SizeHorCursor,
            Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor, Qt::SizeHorCursor};
        setCursor(shapes[handle]);
    } else if (objectAt(widget).band >= 0) {
        setCursor(Qt::SizeAllCursor);
    } else if (bandEdgeAt(widget) >= 0) {
        setCursor(Qt::SplitVCursor);
    } else {
        setCursor(Qt::ArrowCursor);
    }
}

} // namespace lbl::designer
