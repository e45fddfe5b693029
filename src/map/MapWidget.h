#pragma once
// The map: raster tiles under polylines and titled markers, north up. Drag to
// pan, wheel or the +/- buttons to zoom; a click on a marker shows its title, a
// click anywhere else is reported (clicked).
// Without tiles (offline, or tiles turned off) it draws its lines and markers on
// a plain background. The corner credits the tiles only while some are shown, and
// says when tiles are off.

#include <QImage>
#include <QPen>
#include <QPolygonF>
#include <QWidget>
#include <optional>

#include "MapInterface.h"
#include "TileLoader.h"

class QAction;
class QLabel;
class QToolButton;
class QVariantAnimation;

// Gives each line its look and each marker its image; no image means the
// default marker.
class MapViewDelegate {
public:
    virtual ~MapViewDelegate() = default;
    virtual QPen rendererForOverlay(const MapPolyline& line) = 0;
    virtual std::optional<QImage> viewForAnnotation(const MapAnnotation& annotation) = 0;
};

class MapWidget : public QWidget, public MapInterface {
    Q_OBJECT
public:
    static constexpr const char* kAttribution = "© OpenStreetMap contributors";
    static constexpr const char* kTilesOff = "Map tiles off";

    // tileUrlTemplate: "{z}/{x}/{y}" URL of the tile server; empty turns tiles off.
    explicit MapWidget(const QString& tileUrlTemplate, QWidget* parent = nullptr);

    void setDelegate(MapViewDelegate* delegate) {
        delegate_ = delegate;
        piecesSize_ = {};  // lines drawn again in the delegate's pens
    }

    // MapInterface
    void setRegion(GeoCoordinate centre, double spanLatitude, double spanLongitude, bool animated) override;
    void addOverlay(const MapPolyline& line) override;
    void removeAllOverlays() override;
    QList<MapPolyline> overlays() const override { return lines_; }
    // In the order they are drawn, bottom first.
    QList<MapAnnotation> annotations() const override { return points_; }
    void removeAnnotation(int id) override;
    int addAnnotation(GeoCoordinate coordinate, const QString& title, int32_t heading = 0,
                      MapAnnotation::Kind kind = MapAnnotation::Kind::Other) override;

    // A small button for the action under the zoom buttons.
    void addButton(QAction* action);
    // Moves the view to the centre at the zoom it has, animated.
    void panTo(GeoCoordinate centre);
    // The whole-world view the map starts with, at once.
    void resetView();

    GeoCoordinate centre() const { return centre_; }
    double zoom() const { return zoom_; }
    // At once, no animation. A centre or zoom that is not a finite number is ignored;
    // latitudes are kept to the projection's range, longitudes wrap.
    void setView(GeoCoordinate centre, double zoom);
    // Where a coordinate lies in the widget, in pixels.
    QPointF toWidget(GeoCoordinate c) const;
    GeoCoordinate toCoordinate(QPointF widgetPoint) const;

signals:
    // A click (no drag) that was not on a marker, in widget pixels.
    void clicked(QPointF at);
    // The user has begun to drag the map.
    void panned();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void paintTiles(QPainter& p);
    void paintLines(QPainter& p);
    struct PlacedTile {
        TileKey key;
        QRectF rect;  // in the widget
    };
    QVector<PlacedTile> visibleTiles() const;  // centre tiles first: they are what the user looks at
    void updateCorner();
    QImage markerImage(const MapAnnotation& a) const;
    void zoomBy(double steps, QPointF around);
    void animateTo(GeoCoordinate centre, double zoom);

    TileLoader* tiles_;
    QLabel* corner_;  // the tiles' attribution, or that they are off
    MapViewDelegate* delegate_ = nullptr;
    QList<MapPolyline> lines_;
    // Each line projected once and thinned again only when the zoom changes; the
    // lines are cut to the view and drawn into a layer only when the view moves, so
    // a moving marker redraws cheaply.
    struct LinePath {
        QPolygonF zoomZero;
        double zoom = -1;
        QPolygonF thinned;
    };
    QList<LinePath> paths_;  // one per line
    QImage layer_;           // the lines as last drawn
    QPointF piecesOrigin_{qQNaN(), qQNaN()};
    QSize piecesSize_;
    QList<MapAnnotation> points_;  // kept in drawing order: by kind, then as added
    int lastId_ = 0;
    int calloutId_ = 0;  // the marker whose title shows, 0 for none
    static constexpr GeoCoordinate kStartCentre{20.0, 0.0};
    static constexpr double kStartZoom = 2.0;
    GeoCoordinate centre_ = kStartCentre;
    double zoom_ = kStartZoom;
    std::optional<QPointF> dragFrom_;
    bool dragged_ = false;
    QVariantAnimation* animation_;
    QToolButton* zoomIn_;
    QToolButton* zoomOut_;
    int buttons_ = 2;
};
