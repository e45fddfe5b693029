#include "MapWidget.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QVariantAnimation>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "PositionFix.h"
#include "TrackPath.h"
#include "WebMercator.h"

using namespace webmercator;

// The marker icon lives in this library's resources, which a static library must
// register itself.
static void initMapResources() { Q_INIT_RESOURCE(map); }

MapWidget::MapWidget(const QString& tileUrlTemplate, QWidget* parent)
    : QWidget(parent), tiles_(new TileLoader(tileUrlTemplate, this)), animation_(new QVariantAnimation(this)) {
    initMapResources();
    setMinimumSize(200, 150);
    setAccessibleName(tr("Map"));
    setMouseTracking(false);
    setCursor(Qt::OpenHandCursor);
    connect(tiles_, &TileLoader::tileLoaded, this, [this] {
        updateCorner();
        update();
    });

    animation_->setDuration(250);
    animation_->setEasingCurve(QEasingCurve::OutCubic);

    zoomIn_ = new QToolButton(this);
    zoomIn_->setText(QStringLiteral("+"));
    zoomIn_->setToolTip(tr("Zoom in"));
    zoomIn_->setAccessibleName(zoomIn_->toolTip());
    zoomOut_ = new QToolButton(this);
    zoomOut_->setText(QStringLiteral("−"));
    zoomOut_->setToolTip(tr("Zoom out"));
    zoomOut_->setAccessibleName(zoomOut_->toolTip());
    for (QToolButton* b : {zoomIn_, zoomOut_}) {
        b->setFixedSize(26, 26);
        b->setCursor(Qt::ArrowCursor);
    }
    zoomIn_->move(8, 8);
    zoomOut_->move(8, 36);
    connect(zoomIn_, &QToolButton::clicked, this, [this] { zoomBy(1, rect().center()); });
    connect(zoomOut_, &QToolButton::clicked, this, [this] { zoomBy(-1, rect().center()); });

    corner_ = new QLabel(this);
    QFont small = corner_->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    corner_->setFont(small);
    corner_->setStyleSheet(QStringLiteral("background: rgba(255, 255, 255, 190); color: #333333; padding: 1px 4px;"));
    corner_->setAttribute(Qt::WA_TransparentForMouseEvents);  // a drag that starts on it still pans
    updateCorner();
}

void MapWidget::setView(GeoCoordinate centre, double zoom) {
    if (!std::isfinite(centre.latitude) || !std::isfinite(centre.longitude) || !std::isfinite(zoom)) return;
    centre_ = {std::clamp(centre.latitude, -kMaxLatitude, kMaxLatitude), std::remainder(centre.longitude, 360.0)};
    zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
    updateCorner();
    update();
}

void MapWidget::resetView() {
    animation_->stop();
    setView(kStartCentre, kStartZoom);
}

void MapWidget::setRegion(GeoCoordinate centre, double spanLatitude, double spanLongitude, bool animated) {
    if (!std::isfinite(spanLatitude) || !std::isfinite(spanLongitude)) return;  // keeps the view
    const double target = zoomForSpan(centre, spanLatitude, spanLongitude, size());
    animation_->stop();
    if (!animated || !isVisible()) {
        setView(centre, target);
        return;
    }
    animateTo(centre, target);
}

void MapWidget::panTo(GeoCoordinate centre) {
    animation_->stop();
    if (!isVisible()) return setView(centre, zoom_);
    animateTo(centre, zoom_);
}

void MapWidget::addButton(QAction* action) {
    auto* b = new QToolButton(this);
    b->setDefaultAction(action);
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    b->setFixedSize(26, 26);
    b->setCursor(Qt::ArrowCursor);
    b->move(8, 8 + 28 * buttons_++ + 6);  // a little apart from the zoom pair
    b->show();
}

void MapWidget::animateTo(GeoCoordinate centre, double target) {
    const GeoCoordinate from = centre_;
    const double fromZoom = zoom_;
    animation_->disconnect(this);
    connect(animation_, &QVariantAnimation::valueChanged, this, [=, this](const QVariant& v) {
        const double t = v.toDouble();
        setView({from.latitude + (centre.latitude - from.latitude) * t,
                 from.longitude + (centre.longitude - from.longitude) * t},
                fromZoom + (target - fromZoom) * t);
    });
    animation_->setStartValue(0.0);
    animation_->setEndValue(1.0);
    animation_->start();
}

void MapWidget::addOverlay(const MapPolyline& line) {
    lines_.append(line);
    LinePath path;
    path.zoomZero = trackpath::projectAtZoomZero(line.points);
    paths_.append(path);
    piecesSize_ = {};
    update();
}

void MapWidget::removeAllOverlays() {
    lines_.clear();
    paths_.clear();
    update();
}

void MapWidget::removeAnnotation(int id) {
    points_.removeIf([id](const MapAnnotation& a) { return a.id == id; });
    if (calloutId_ == id) calloutId_ = 0;
    update();
}

int MapWidget::addAnnotation(GeoCoordinate coordinate, const QString& title, int32_t heading, MapAnnotation::Kind kind) {
    // Placed in its layer: a marker replaced on every tick stays under those above it.
    const auto above = std::upper_bound(points_.begin(), points_.end(), kind,
                                        [](MapAnnotation::Kind k, const MapAnnotation& a) { return k < a.kind; });
    points_.insert(above, {++lastId_, coordinate, title, heading, kind});
    update();
    return lastId_;
}

QPointF MapWidget::toWidget(GeoCoordinate c) const {
    return project(c, zoom_) - project(centre_, zoom_) + QPointF(width() / 2.0, height() / 2.0);
}

GeoCoordinate MapWidget::toCoordinate(QPointF widgetPoint) const {
    return unproject(widgetPoint - QPointF(width() / 2.0, height() / 2.0) + project(centre_, zoom_), zoom_);
}

void MapWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0xe8, 0xe4, 0xd8));
    paintTiles(p);

    p.setRenderHint(QPainter::Antialiasing);
    paintLines(p);

    for (const MapAnnotation& a : points_) {
        if (!telemetry::isUsableCoordinate(a.coordinate.latitude, a.coordinate.longitude)) continue;
        const QImage image = markerImage(a);
        const QPointF at = toWidget(a.coordinate);
        p.drawImage(at - QPointF(image.width() / 2.0, image.height() / 2.0), image);
        if (a.id == calloutId_ && !a.title.isEmpty()) {
            const QFontMetrics fm(font());
            QRectF box(0, 0, fm.horizontalAdvance(a.title) + 16, fm.height() + 8);
            box.moveCenter(at - QPointF(0, image.height() / 2.0 + box.height() / 2.0 + 6));
            p.setPen(QPen(QColor(0, 0, 0, 80), 1));
            p.setBrush(Qt::white);
            p.drawRoundedRect(box, 4, 4);
            p.setPen(Qt::black);
            p.drawText(box, Qt::AlignCenter, a.title);
        }
    }
}

QVector<MapWidget::PlacedTile> MapWidget::visibleTiles() const {
    QVector<PlacedTile> placed;
    if (!tiles_->enabled()) return placed;
    const int z = int(std::clamp(std::round(zoom_), kMinZoom, kMaxZoom));
    const double tile = kTileSize * std::exp2(zoom_ - z);
    const QPointF origin = project(centre_, z) * std::exp2(zoom_ - z) - QPointF(width() / 2.0, height() / 2.0);
    const int tilesPerSide = 1 << z;
    const int x0 = int(std::floor(origin.x() / tile)), x1 = int(std::floor((origin.x() + width()) / tile));
    const int y0 = std::max(0, int(std::floor(origin.y() / tile)));
    const int y1 = std::min(tilesPerSide - 1, int(std::floor((origin.y() + height()) / tile)));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            placed.append({{z, ((x % tilesPerSide) + tilesPerSide) % tilesPerSide, y},
                           QRectF(x * tile - origin.x(), y * tile - origin.y(), tile, tile)});
    const QPointF mid(width() / 2.0, height() / 2.0);
    std::sort(placed.begin(), placed.end(), [&](const PlacedTile& a, const PlacedTile& b) {
        const QPointF da = a.rect.center() - mid, db = b.rect.center() - mid;
        return std::hypot(da.x(), da.y()) < std::hypot(db.x(), db.y());
    });
    return placed;
}

void MapWidget::paintTiles(QPainter& p) {
    const QVector<PlacedTile> placed = visibleTiles();
    if (placed.isEmpty()) return;
    p.setRenderHint(QPainter::SmoothPixmapTransform, zoom_ != std::round(zoom_));
    QVector<TileKey> wanted;
    for (const PlacedTile& t : placed) {
        wanted.append(t.key);
        if (const QImage image = tiles_->tile(t.key); !image.isNull()) p.drawImage(t.rect, image);
    }
    tiles_->request(wanted);
}

void MapWidget::paintLines(QPainter& p) {
    if (lines_.isEmpty()) return;
    const QPointF origin = project(centre_, zoom_) - QPointF(width() / 2.0, height() / 2.0);
    const qreal ratio = p.device()->devicePixelRatioF();
    if (origin != piecesOrigin_ || size() != piecesSize_ || ratio != layer_.devicePixelRatio()) {
        // Beyond the widget by more than any pen is wide, so no cut end shows.
        const QRectF view = QRectF(origin, QSizeF(size())).adjusted(-32, -32, 32, 32);
        layer_ = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
        layer_.setDevicePixelRatio(ratio);
        layer_.fill(Qt::transparent);
        QPainter lp(&layer_);
        lp.setRenderHint(QPainter::Antialiasing);
        for (qsizetype i = 0; i < lines_.size(); ++i) {
            LinePath& path = paths_[i];
            if (path.zoom != zoom_) {
                path.thinned = trackpath::simplified(path.zoomZero, std::exp2(zoom_));
                path.zoom = zoom_;
            }
            QPen pen = delegate_ ? delegate_->rendererForOverlay(lines_[i]) : QPen(QColor(0x1565c0), 3.0);
            pen.setCapStyle(Qt::RoundCap);
            pen.setJoinStyle(Qt::RoundJoin);
            lp.setPen(pen);
            // Separate round-capped segments look like a polyline with round joins, and
            // the raster engine fills them much faster than one long self-crossing outline.
            QVector<QLineF> segments;
            for (const QPolygonF& piece : trackpath::clipped(path.thinned, view))
                for (qsizetype k = 1; k < piece.size(); ++k) segments.append(QLineF(piece[k - 1], piece[k]).translated(-origin));
            lp.drawLines(segments);
        }
        piecesOrigin_ = origin;
        piecesSize_ = size();
    }
    p.drawImage(QPointF(0, 0), layer_);
}

void MapWidget::updateCorner() {
    // The credit belongs on the tiles: on a plain background it would claim a map that is not there.
    QString text;
    if (!tiles_->enabled()) {
        text = QString::fromUtf8(kTilesOff);
    } else {
        const QVector<PlacedTile> placed = visibleTiles();
        if (std::any_of(placed.begin(), placed.end(), [this](const PlacedTile& t) { return !tiles_->tile(t.key).isNull(); }))
            text = QString::fromUtf8(kAttribution);
    }
    if (text != corner_->text()) {
        corner_->setText(text);
        corner_->adjustSize();
    }
    corner_->setVisible(!text.isEmpty());
    corner_->move(width() - corner_->width(), height() - corner_->height());
}

QImage MapWidget::markerImage(const MapAnnotation& a) const {
    if (delegate_)
        if (std::optional<QImage> image = delegate_->viewForAnnotation(a)) return *image;
    // The default look: a red pin.
    static const QImage pin = [] {
        QImage img(22, 22, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::white, 2));
        p.setBrush(QColor(0xd3, 0x2f, 0x2f));
        p.drawEllipse(QRectF(3, 3, 16, 16));
        return img;
    }();
    return pin;
}

void MapWidget::zoomBy(double steps, QPointF around) {
    animation_->stop();
    // Keep the point under the cursor where it is.
    const GeoCoordinate fixed = toCoordinate(around);
    const double z = std::clamp(std::round(zoom_ + steps), kMinZoom, kMaxZoom);
    const QPointF offset = around - QPointF(width() / 2.0, height() / 2.0);
    setView(unproject(project(fixed, z) - offset, z), z);
}

void MapWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    dragFrom_ = event->position();
    dragged_ = false;
    setCursor(Qt::ClosedHandCursor);
}

void MapWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!dragFrom_) return;
    const QPointF delta = event->position() - *dragFrom_;
    if (!dragged_ && delta.manhattanLength() < 3) return;
    if (!dragged_) emit panned();
    dragged_ = true;
    animation_->stop();
    setView(unproject(project(centre_, zoom_) - delta, zoom_), zoom_);
    dragFrom_ = event->position();
}

void MapWidget::mouseReleaseEvent(QMouseEvent* event) {
    setCursor(Qt::OpenHandCursor);
    const bool click = dragFrom_ && !dragged_;
    dragFrom_.reset();
    if (!click) return;
    // A click on a marker shows its title; anywhere else hides it.
    int hit = 0;
    for (const MapAnnotation& a : points_) {
        if (!telemetry::isUsableCoordinate(a.coordinate.latitude, a.coordinate.longitude)) continue;
        const QImage image = markerImage(a);
        QRectF box(0, 0, image.width(), image.height());
        box.moveCenter(toWidget(a.coordinate));
        if (box.contains(event->position())) hit = a.id;
    }
    calloutId_ = hit == calloutId_ ? 0 : hit;
    update();
    if (!hit) emit clicked(event->position());
}

void MapWidget::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps) zoomBy(steps, event->position());
    event->accept();
}

void MapWidget::resizeEvent(QResizeEvent*) {
    updateCorner();
    update();
}
