#include "TrackPath.h"

#include <cmath>
#include <numbers>

#include "PositionFix.h"
#include "WebMercator.h"

namespace trackpath {

QPolygonF projectAtZoomZero(const QVector<GeoCoordinate>& points) {
    QPolygonF out;
    out.reserve(points.size());
    for (const GeoCoordinate& c : points)
        if (telemetry::isUsableCoordinate(c.latitude, c.longitude)) out.append(webmercator::project(c, 0));
    return out;
}

namespace {
// The signed angle from direction a to direction b, in (-pi, pi].
double angleBetween(double a, double b) { return std::remainder(b - a, 2 * std::numbers::pi); }
}  // namespace

// A sleeve from the last kept point: the directions in which a segment from there
// still passes within the tolerance of every point since. A point whose direction
// leaves that window, or that turns back, ends the segment at the point before it.
QPolygonF simplified(const QPolygonF& zoomZero, double scale, double tolerance) {
    QPolygonF out;
    if (zoomZero.isEmpty()) return out;
    out.reserve(std::min<qsizetype>(zoomZero.size(), 4096));
    QPointF anchor = zoomZero.first() * scale;
    out.append(anchor);
    double base = 0, lo = 0, hi = 0;  // the window, as angles relative to base
    double farthest = 0;              // from the anchor, of the points since
    bool open = false;                // whether the window is set yet
    QPointF previous = anchor;
    for (qsizetype i = 1; i < zoomZero.size(); ++i) {
        const QPointF p = zoomZero[i] * scale;
        for (int attempt = 0; attempt < 2; ++attempt) {
            const QPointF d = p - anchor;
            const double distance = std::hypot(d.x(), d.y());
            if (distance <= tolerance) break;  // too close to tell from the anchor
            const double direction = std::atan2(d.y(), d.x());
            const double half = std::asin(std::min(1.0, tolerance / distance));
            if (!open) {
                base = direction, lo = -half, hi = half, farthest = distance, open = true;
                break;
            }
            const double relative = angleBetween(base, direction);
            // Coming back towards the anchor would leave the points beyond undrawn.
            if (relative >= lo && relative <= hi && distance >= farthest) {
                farthest = std::max(farthest, distance);
                lo = std::max(lo, relative - half);
                hi = std::min(hi, relative + half);
                break;
            }
            // Out of the sleeve: the previous point is kept and becomes the anchor,
            // and this point is looked at again from there.
            anchor = previous;
            out.append(anchor);
            open = false;
        }
        previous = p;
    }
    if (out.last() != previous) out.append(previous);
    return out;
}

namespace {
// Liang-Barsky: the part of a->b inside the rectangle, as parameters along it.
bool clipSegment(QPointF a, QPointF b, const QRectF& r, double& t0, double& t1) {
    t0 = 0, t1 = 1;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0) {
            if (q[k] < 0) return false;
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0) t0 = std::max(t0, t);
        else t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    return true;
}
}  // namespace

QList<QPolygonF> clipped(const QPolygonF& polyline, const QRectF& rect) {
    QList<QPolygonF> pieces;
    if (polyline.size() == 1 && rect.contains(polyline.first())) pieces.append(polyline);
    QPolygonF current;
    for (qsizetype i = 1; i < polyline.size(); ++i) {
        const QPointF a = polyline[i - 1], b = polyline[i];
        double t0, t1;
        if (!clipSegment(a, b, rect, t0, t1)) {
            if (!current.isEmpty()) pieces.append(std::exchange(current, {}));
            continue;
        }
        if (current.isEmpty() || t0 > 0) {
            if (!current.isEmpty()) pieces.append(std::exchange(current, {}));
            current.append(a + (b - a) * t0);
        }
        current.append(a + (b - a) * t1);
        if (t1 < 1) pieces.append(std::exchange(current, {}));
    }
    if (!current.isEmpty()) pieces.append(current);
    return pieces;
}

}  // namespace trackpath
