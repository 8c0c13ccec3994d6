// The design surface: the page with rulers, grid, bands and objects drawn with the current record's data.
#pragma once

#include "designer/DesignDocument.h"
#include "report/DataLink.h"
#include "report/Prepare.h"

#include <QByteArray>
#include <QPointF>
#include <QRectF>
#include <QWidget>

#include <functional>

class QPlainTextEdit;

namespace lbl::designer {

enum class Tool { Select, Text, Barcode, Line, Rect, Picture };

/// The MIME type a dragged data field carries: the field name as UTF-8.
inline const QString kFieldMimeType = QStringLiteral("application/x-labelprint-field");

/// The expression that reads `field` of the program's data set: [rptDBDataset1."FIELD"].
QString fieldExpression(const QString& field);

/// Shows one page of the document at a zoom and turns mouse and keys into edits.
///
/// Mouse: a click selects (Shift adds or removes), dragging a selected object moves the selection,
/// its handles resize it, dragging on empty space selects by rubber band, dragging a band's bottom
/// edge sets its height, and with a drawing tool a click or drag places a new object. With snap on,
/// moves and sizes go in whole grid steps. Arrow keys move the selection by a grid step (Ctrl: 0.1 mm),
/// Shift+arrow resizes it. Double-clicking a text edits it in place.
class DesignCanvas : public QWidget
{
    Q_OBJECT

public:
    /// `links` resolve the texts shown; the canvas owns neither them nor the document.
    DesignCanvas(DesignDocument& document, report::DataLinks links, QWidget* parent = nullptr);

    /// 1 is 100 %: a millimetre on the page is a millimetre of a 96 dpi screen. Kept within 0.5..4.
    void setZoom(qreal zoom);
    qreal zoom() const { return m_zoom; }
    /// The zoom at which the whole page fits `viewport`.
    qreal fitZoom(QSize viewport) const;

    void setTool(Tool tool);
    Tool tool() const { return m_tool; }
    void setSnap(bool on) { m_snap = on; }
    bool snap() const { return m_snap; }
    void setGridStep(qreal mm);
    qreal gridStepMm() const { return m_gridMm; }
    void setShowGrid(bool on);
    bool showGrid() const { return m_showGrid; }
    /// Asked for the bytes of a PNG or JPEG when the picture tool places an object; empty cancels.
    void setImageLoader(std::function<QByteArray()> loader) { m_imageLoader = std::move(loader); }

    qreal pixelsPerMm() const;
    /// Widget coordinates of a point given in mm from the page's top-left corner, and back.
    QPointF toWidget(QPointF pageMm) const;
    QPointF toPageMm(QPointF widget) const;
    /// The band under a point in page mm (the page's whole width counts); -1 when none.
    qsizetype bandAt(QPointF pageMm) const;

    /// Creates a text object reading `field` (a Code 128 barcode when `asBarcode`) in the band under
    /// `pageMm`; returns an invalid reference when no band is there.
    ObjectRef dropField(const QString& field, QPointF pageMm, bool asBarcode);

    /// Opens the in-place editor on a text object; commitTextEdit() applies it as one undo step.
    void editText(const ObjectRef& ref);
    QPlainTextEdit* textEditor() const { return m_editor; }
    void commitTextEdit();
    void cancelTextEdit();

    /// What the canvas shows for the current record, in page mm (for painting and tests).
    report::PreparedPage preparedView() const;
    /// The data changed (another record): redraw.
    void refresh();

    QSize sizeHint() const override;

signals:
    void cursorMoved(QPointF pageMm);
    /// A drawing tool placed its object and the canvas went back to selecting.
    void toolChanged(lbl::designer::Tool tool);
    void zoomChanged(qreal zoom);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Drag { None, Move, Resize, Rubber, Create, BandResize };

    QSizeF viewSizeMm() const;
    QRectF pageRectPx() const;
    QRectF toWidget(const QRectF& pageMm) const;
    ObjectRef objectAt(QPointF widget) const;
    int handleAt(QPointF widget) const;
    qsizetype bandEdgeAt(QPointF widget) const;
    QVector<QRectF> handleRects(const QRectF& px) const;
    qreal snapped(qreal mm) const;
    void updateGeometryForZoom();
    void updateCursor(QPointF widget);
    void placeObject(const QRectF& bandMm);
    void paintRulers(QPainter& p) const;
    void paintGrid(QPainter& p) const;
    void paintBands(QPainter& p) const;

    DesignDocument& m_doc;
    report::DataLinks m_links;
    qreal m_zoom = 2;
    Tool m_tool = Tool::Select;
    bool m_snap = true;
    bool m_showGrid = true;
    qreal m_gridMm = DesignDefaults::kGridMm;
    std::function<QByteArray()> m_imageLoader;

    Drag m_drag = Drag::None;
    QPointF m_pressPx;
    QPointF m_pressMm;
    QPointF m_currentPx;
    QVector<QRectF> m_startBoxes;
    int m_handle = -1;
    qsizetype m_dragBand = -1;
    qreal m_startBandHeight = 0;
    bool m_moved = false;
    QVector<ObjectRef> m_startSelection;

    QPlainTextEdit* m_editor = nullptr;
    ObjectRef m_editing;
};

} // namespace lbl::designer
