#include "TransportIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// A triangle pointing right (or left) within the box.
QPolygonF triangle(QRectF box, bool right) {
    return right ? QPolygonF({box.topLeft(), QPointF(box.right(), box.center().y()), box.bottomLeft()})
                 : QPolygonF({box.topRight(), QPointF(box.left(), box.center().y()), box.bottomRight()});
}

void draw(QPainter& p, TransportIcon kind, const QColor& colour) {
    // A 16-unit box; the painter is scaled to the pixmap.
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    switch (kind) {
    case TransportIcon::Play:
        p.drawPolygon(triangle({4, 2, 10, 12}, true));
        break;
    case TransportIcon::Pause:
        p.drawRect(QRectF(3.5, 2, 3.5, 12));
        p.drawRect(QRectF(9, 2, 3.5, 12));
        break;
    case TransportIcon::StepBack:
    case TransportIcon::StepForward: {
        const bool right = kind == TransportIcon::StepForward;
        p.drawPolygon(triangle({1, 3, 7, 10}, right));
        p.drawPolygon(triangle({8, 3, 7, 10}, right));
        break;
    }
    case TransportIcon::Previous:
        p.drawRect(QRectF(1, 3, 2, 10));
        p.drawPolygon(triangle({3, 3, 6, 10}, false));
        p.drawPolygon(triangle({8, 3, 6, 10}, false));
        break;
    case TransportIcon::Next:
        p.drawPolygon(triangle({2, 3, 6, 10}, true));
        p.drawPolygon(triangle({7, 3, 6, 10}, true));
        p.drawRect(QRectF(13, 3, 2, 10));
        break;
    case TransportIcon::FullScreen: {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        const QPointF corners[4][3] = {{{2, 6}, {2, 2}, {6, 2}},
                                      {{10, 2}, {14, 2}, {14, 6}},
                                      {{14, 10}, {14, 14}, {10, 14}},
                                      {{6, 14}, {2, 14}, {2, 10}}};
        for (const auto& c : corners) p.drawPolyline(c, 3);
        break;
    }
    case TransportIcon::Volume:
    case TransportIcon::Muted: {
        p.drawPolygon(QPolygonF({QPointF(1.5, 6), QPointF(4.5, 6), QPointF(8.5, 2.5), QPointF(8.5, 13.5),
                                 QPointF(4.5, 10), QPointF(1.5, 10)}));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(colour, 1.4, Qt::SolidLine, Qt::RoundCap));
        if (kind == TransportIcon::Muted) {
            p.drawLine(QPointF(10.5, 5.5), QPointF(14.5, 10.5));
            p.drawLine(QPointF(14.5, 5.5), QPointF(10.5, 10.5));
        } else {
            p.drawArc(QRectF(6.5, 5, 5, 6), -60 * 16, 120 * 16);
            p.drawArc(QRectF(6.5, 2.5, 8, 11), -60 * 16, 120 * 16);
        }
        break;
    }
    }
}

QPixmap pixmap(TransportIcon kind, const QColor& colour, int size) {
    QPixmap image(size, size);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p, kind, colour);
    return image;
}

}  // namespace

QIcon transportIcon(TransportIcon kind, const QColor& colour, int size) {
    QIcon icon;
    icon.addPixmap(pixmap(kind, colour, size));
    icon.addPixmap(pixmap(kind, colour, size * 2));
    // Greyed out as the palette greys its text, not as the style dims a pixmap.
    QColor off = colour;
    off.setAlphaF(0.35f);
    icon.addPixmap(pixmap(kind, off, size), QIcon::Disabled);
    icon.addPixmap(pixmap(kind, off, size * 2), QIcon::Disabled);
    return icon;
}
