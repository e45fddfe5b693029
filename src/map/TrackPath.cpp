#include "TrackPath.h"

#include <cmath>

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
double cross(QPointF a, QPointF b) { return a.x() * b.y() - a.y() * b.x(); }
// The unit direction u turned by the angle whose sine is s and cosine c.
QPointF turned(QPointF u, double s, double c) { return {u.x() * c - u.y() * s, u.x() * s + u.y() * c}; }
}  // namespace

// A sleeve from the last kept point: the directions in which a segment from there
// still passes within the tolerance of every point since, kept as the two unit
// vectors that bound them (no trigonometry: this runs for every point at every
// zoom). A point whose direction leaves that window, or that turns back, ends the
// segment at the point before it.
QPolygonF simplified(const QPolygonF& zoomZero, double scale, double tolerance) {
    QPolygonF out;
    if (zoomZero.isEmpty()) return out;
    out.reserve(std::min<qsizetype>(zoomZero.size(), 4096));
    QPointF anchor = zoomZero.first() * scale;
    out.append(anchor);
    QPointF lo, hi;         // the window's clockwise and counter-clockwise bounds
    double farthest2 = 0;   // squared distance from the anchor of the farthest point since
    bool open = false;      // whether the window is set yet
    QPointF previous = anchor;
    const double tolerance2 = tolerance * tolerance;
    for (qsizetype i = 1; i < zoomZero.size(); ++i) {
        const QPointF p = zoomZero[i] * scale;
        for (int attempt = 0; attempt < 2; ++attempt) {
            const QPointF d = p - anchor;
            const double distance2 = QPointF::dotProduct(d, d);
            if (distance2 <= tolerance2) break;  // too close to tell from the anchor
            if (open && cross(lo, d) >= 0 && cross(d, hi) >= 0 && distance2 >= farthest2) {
                const double distance = std::sqrt(distance2);
                const QPointF u = d / distance;
                const double s = tolerance / distance, c = std::sqrt(1 - s * s);
                const QPointF pointLo = turned(u, -s, c), pointHi = turned(u, s, c);
                if (cross(lo, pointLo) > 0) lo = pointLo;
                if (cross(pointHi, hi) > 0) hi = pointHi;
                farthest2 = distance2;
                break;
            }
            if (!open) {
                const double distance = std::sqrt(distance2);
                const QPointF u = d / distance;
                const double s = tolerance / distance, c = std::sqrt(1 - s * s);
                lo = turned(u, -s, c), hi = turned(u, s, c), farthest2 = distance2, open = true;
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
