#include "FollowView.h"

#include <QRectF>

std::optional<QPointF> followPan(QPointF marker, QSizeF view, double margin) {
    const double dx = view.width() * margin, dy = view.height() * margin;
    const QRectF inner = QRectF(QPointF(0, 0), view).adjusted(dx, dy, -dx, -dy);
    if (inner.contains(marker)) return std::nullopt;
    return marker;
}
