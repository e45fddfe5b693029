#pragma once
// What the rest of the program needs of a map: a region, polylines at a level,
// and titled point annotations. The map widget implements it.

#include <QList>
#include <QPointF>
#include <QString>
#include <QVector>
#include <cstdint>

struct GeoCoordinate {
    double latitude = 0;
    double longitude = 0;
};

struct MapPolyline {
    QVector<GeoCoordinate> points;
    int level = 0;
};

struct MapAnnotation {
    // What a marker stands for, and its layer: a later kind is drawn above an
    // earlier one whatever the order they were added in.
    enum class Kind { Other, TrackEnd, Vehicle, Event };
    int id = 0;
    GeoCoordinate coordinate;
    QString title;
    int32_t heading = 0;  // whole degrees, as recorded when the annotation was placed
    Kind kind = Kind::Other;
};

class MapInterface {
public:
    virtual ~MapInterface() = default;
    virtual void setRegion(GeoCoordinate centre, double spanLatitude, double spanLongitude, bool animated) = 0;
    virtual void addOverlay(const MapPolyline& line) = 0;
    virtual void removeAllOverlays() = 0;
    virtual QList<MapPolyline> overlays() const = 0;
    virtual QList<MapAnnotation> annotations() const = 0;
    virtual void removeAnnotation(int id) = 0;
    virtual int addAnnotation(GeoCoordinate coordinate, const QString& title, int32_t heading = 0,
                              MapAnnotation::Kind kind = MapAnnotation::Kind::Other) = 0;
};
