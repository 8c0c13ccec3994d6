// Toolbar icons drawn with QPainter on a 24-unit square.
#include "designer/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace lbl::designer {

namespace {

const QColor kInk(0x33, 0x3d, 0x4d);
const QColor kAccent(0x2f, 0x80, 0xed);
const QColor kSoft(0xc8, 0xdc, 0xf8);

void drawAlign(QPainter& p, IconKind kind)
{
    p.setPen(QPen(kInk, 1.6));
    QRectF a;
    QRectF b;
    switch (kind) {
    case IconKind::AlignLeft:
        p.drawLine(QPointF(4, 3), QPointF(4, 21));
        a = {5, 5, 14, 5};
        b = {5, 14, 9, 5};
        break;
    case IconKind::AlignRight:
        p.drawLine(QPointF(20, 3), QPointF(20, 21));
        a = {5, 5, 14, 5};
        b = {10, 14, 9, 5};
        break;
    case IconKind::AlignHCentre:
        p.drawLine(QPointF(12, 3), QPointF(12, 21));
        a = {5, 5, 14, 5};
        b = {7.5, 14, 9, 5};
        break;
    case IconKind::AlignTop:
        p.drawLine(QPointF(3, 4), QPointF(21, 4));
        a = {5, 5, 5, 14};
        b = {14, 5, 5, 9};
        break;
    case IconKind::AlignBottom:
        p.drawLine(QPointF(3, 20), QPointF(21, 20));
        a = {5, 5, 5, 14};
        b = {14, 10, 5, 9};
        break;
    default:
        p.drawLine(QPointF(3, 12), QPointF(21, 12));
        a = {5, 5, 5, 14};
        b = {14, 7.5, 5, 9};
        break;
    }
    p.setPen(QPen(kAccent, 1));
    p.setBrush(kSoft);
    p.drawRect(a);
    p.drawRect(b);
}

void draw(QPainter& p, IconKind kind)
{
    p.setRenderHint(QPainter::Antialiasing);
    switch (kind) {
    case IconKind::Select: {
        QPainterPath arrow;
        arrow.moveTo(6, 3);
        arrow.lineTo(6, 19);
        arrow.lineTo(10, 15);
        arrow.lineTo(13, 21);
        arrow.lineTo(15.5, 20);
        arrow.lineTo(12.5, 14);
        arrow.lineTo(18, 14);
        arrow.closeSubpath();
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(Qt::white);
        p.drawPath(arrow);
        break;
    }
    case IconKind::Text: {
        QFont font(QStringLiteral("Serif"));
        font.setPixelSize(19);
        font.setBold(true);
        p.setFont(font);
        p.setPen(kInk);
        p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, QStringLiteral("T"));
        p.setPen(QPen(kAccent, 1.4));
        p.drawLine(QPointF(4, 21.5), QPointF(20, 21.5));
        break;
    }
    case IconKind::Barcode: {
        const qreal widths[] = {1.5, 0.8, 0.8, 2.2, 0.8, 1.5, 0.8, 2.2, 0.8, 1.5};
        qreal x = 3.5;
        bool dark = true;
        for (qreal w : widths) {
            if (dark) {
                p.fillRect(QRectF(x, 4, w, 16), kInk);
            }
            x += w + (dark ? 0.2 : 0.9);
            dark = !dark;
            if (!dark) {
                x += 0.4;
            }
        }
        break;
    }
    case IconKind::Line:
        p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 20), QPointF(20, 4));
        break;
    case IconKind::Rect:
        p.setPen(QPen(kInk, 1.6));
        p.setBrush(kSoft);
        p.drawRect(QRectF(4, 6, 16, 12));
        break;
    case IconKind::Picture: {
        p.setPen(QPen(kInk, 1.4));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(3, 5, 18, 14), 1.5, 1.5);
        QPainterPath hill;
        hill.moveTo(4, 18);
        hill.lineTo(10, 11);
        hill.lineTo(14, 15);
        hill.lineTo(16, 13);
        hill.lineTo(20, 18);
        hill.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x4c, 0xaf, 0x50));
        p.drawPath(hill);
        p.setBrush(QColor(0xff, 0xb3, 0x00));
        p.drawEllipse(QPointF(16, 9), 1.8, 1.8);
        break;
    }
    case IconKind::AlignLeft:
    case IconKind::AlignRight:
    case IconKind::AlignTop:
    case IconKind::AlignBottom:
    case IconKind::AlignHCentre:
    case IconKind::AlignVCentre:
        drawAlign(p, kind);
        break;
    case IconKind::DistributeH:
    case IconKind::DistributeV: {
        const bool h = kind == IconKind::DistributeH;
        p.setPen(QPen(kAccent, 1));
        p.setBrush(kSoft);
        for (int i = 0; i < 3; ++i) {
            const qreal at = 3 + i * 7;
            p.drawRect(h ? QRectF(at, 7, 4, 10) : QRectF(7, at, 10, 4));
        }
        break;
    }
    case IconKind::Front:
    case IconKind::Back: {
        const bool front = kind == IconKind::Front;
        p.setPen(QPen(kInk, 1));
        p.setBrush(front ? Qt::white : kAccent);
        p.drawRect(QRectF(3, 3, 11, 11));
        p.setBrush(front ? kAccent : Qt::white);
        p.drawRect(QRectF(10, 10, 11, 11));
        if (!front) {
            p.setBrush(kAccent);
            p.drawRect(QRectF(3, 3, 11, 11));
        }
        break;
    }
    case IconKind::Grid:
    case IconKind::Snap:
        p.setPen(QPen(kInk.lighter(160), 1));
        for (int i = 4; i <= 20; i += 4) {
            p.drawLine(QPointF(i, 3), QPointF(i, 21));
            p.drawLine(QPointF(3, i), QPointF(21, i));
        }
        if (kind == IconKind::Snap) {
            p.setPen(Qt::NoPen);
            p.setBrush(kAccent);
            p.drawRect(QRectF(8, 8, 8, 8));
        }
        break;
    case IconKind::Preview:
        p.setPen(QPen(kInk, 1.4));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 3, 13, 17));
        p.setPen(QPen(kAccent, 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(14, 14), 4, 4);
        p.drawLine(QPointF(17, 17), QPointF(21, 21));
        break;
    case IconKind::PageSetup:
        p.setPen(QPen(kInk, 1.4));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5, 3, 14, 18));
        p.setPen(QPen(kAccent, 1, Qt::DashLine));
        p.drawRect(QRectF(7.5, 5.5, 9, 13));
        break;
    case IconKind::Band:
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(0xe8, 0xee, 0xf7));
        p.drawRect(QRectF(3, 4, 18, 6));
        p.setBrush(kSoft);
        p.drawRect(QRectF(3, 12, 18, 8));
        p.setPen(QPen(kAccent, 2));
        p.drawLine(QPointF(12, 13.5), QPointF(12, 18.5));
        p.drawLine(QPointF(9.5, 16), QPointF(14.5, 16));
        break;
    }
}

} // namespace

QIcon designerIcon(IconKind kind)
{
    QIcon icon;
    for (int size : {24, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.scale(size / 24.0, size / 24.0);
        draw(p, kind);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace lbl::designer
