// Painting prepared pages.
#include "report/Painter.h"

#include <QFont>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>

namespace lbl::report {

namespace {

constexpr qreal kMmPerInch = 25.4;
constexpr qreal kPointsPerInch = 72;

struct Scale
{
    QPointF origin;
    qreal x = 1; ///< device units per mm
    qreal y = 1;

    QRectF rect(const QRectF& mm) const
    {
        return {origin.x() + mm.x() * x, origin.y() + mm.y() * y, mm.width() * x, mm.height() * y};
    }
};

QPen penMm(const QColor& color, qreal widthMm, const Scale& s)
{
    QPen pen(color);
    pen.setWidthF(std::max(widthMm * std::min(s.x, s.y), 1.0));
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

// Point sizes count against the device's logical dpi; ask for the size that gives the right
// height in millimetres at this page's scale instead.
QFont fontFor(const FontStyle& style, const Scale& s, const QPaintDevice* device)
{
    QFont font(style.family);
    const qreal pixels = style.sizePt / kPointsPerInch * kMmPerInch * s.y;
    const int logicalDpi = device != nullptr ? device->logicalDpiY() : 96;
    font.setPointSizeF(std::max(pixels * kPointsPerInch / logicalDpi, 0.1));
    font.setBold(style.bold);
    font.setItalic(style.italic);
    font.setUnderline(style.underline);
    return font;
}

void paintText(QPainter& painter, const TextObject& text, const QRectF& box, const Scale& s)
{
    if (!text.text.isEmpty()) {
        int flags = 0;
        switch (text.hAlign) {
        case HAlign::Left:
            flags |= Qt::AlignLeft;
            break;
        case HAlign::Center:
            flags |= Qt::AlignHCenter;
            break;
        case HAlign::Right:
            flags |= Qt::AlignRight;
            break;
        }
        switch (text.vAlign) {
        case VAlign::Top:
            flags |= Qt::AlignTop;
            break;
        case VAlign::Center:
            flags |= Qt::AlignVCenter;
            break;
        case VAlign::Bottom:
            flags |= Qt::AlignBottom;
            break;
        }
        if (text.wordWrap) {
            flags |= Qt::TextWordWrap;
        }
        painter.save();
        painter.setClipRect(box, Qt::IntersectClip);
        painter.setFont(fontFor(text.font, s, painter.device()));
        painter.setPen(text.font.color);
        painter.drawText(box, flags, text.text);
        painter.restore();
    }
    const Frame& f = text.frame;
    if (f.any()) {
        painter.setPen(penMm(f.color, f.widthMm, s));
        if (f.left) {
            painter.drawLine(box.topLeft(), box.bottomLeft());
        }
        if (f.top) {
            painter.drawLine(box.topLeft(), box.topRight());
        }
        if (f.right) {
            painter.drawLine(box.topRight(), box.bottomRight());
        }
        if (f.bottom) {
            painter.drawLine(box.bottomLeft(), box.bottomRight());
        }
    }
}

void paintPicture(QPainter& painter, const QImage& image, bool keepAspect, const QRectF& box)
{
    if (image.isNull() || box.isEmpty()) {
        return;
    }
    QRectF where = box;
    if (keepAspect) {
        const QSizeF fitted = QSizeF(image.size()).scaled(box.size(), Qt::KeepAspectRatio);
        where = QRectF(QPointF(), fitted);
        where.moveCenter(box.center());
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(where, image);
}

} // namespace

void paintPage(QPainter& painter, const PreparedPage& page, const QRectF& target, qreal deviceDpi,
               qreal dotDpi)
{
    if (page.sizeMm.isEmpty() || target.isEmpty()) {
        return;
    }
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const Scale s{target.topLeft(), target.width() / page.sizeMm.width(),
                  target.height() / page.sizeMm.height()};
    for (const PreparedItem& item : page.items) {
        const QRectF box = s.rect(item.boxMm);
        painter.save();
        if (const auto* text = std::get_if<TextObject>(&item.content)) {
            paintText(painter, *text, box, s);
        } else if (const auto* barcode = std::get_if<BarcodeObject>(&item.content)) {
            if (item.symbol.isValid()) {
                paintBarcode(painter, box, item.symbol, barcode->style, deviceDpi, dotDpi);
            }
        } else if (const auto* line = std::get_if<LineObject>(&item.content)) {
            painter.setPen(penMm(line->color, line->widthMm, s));
            painter.drawLine(box.topLeft(), box.bottomRight());
        } else if (const auto* rect = std::get_if<RectObject>(&item.content)) {
            if (rect->fillColor.isValid()) {
                painter.fillRect(box, rect->fillColor);
            }
            if (rect->lineColor.isValid() && rect->lineWidthMm > 0) {
                painter.setPen(penMm(rect->lineColor, rect->lineWidthMm, s));
                painter.setBrush(Qt::NoBrush);
                const qreal inset = painter.pen().widthF() / 2;
                painter.drawRect(box.adjusted(inset, inset, -inset, -inset));
            }
        } else if (const auto* picture = std::get_if<PictureObject>(&item.content)) {
            paintPicture(painter, item.image, picture->keepAspect, box);
        }
        painter.restore();
    }
    painter.restore();
}

} // namespace lbl::report
