#pragma once
// What the rest of the program needs of a map: a region, polylines at a level,
// and titled point annotations. The map widget implements it; PlainMap keeps the
// same state without drawing anything.

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
    int id = 0;
    GeoCoordinate coordinate;
    QString title;
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
    virtual int addAnnotation(GeoCoordinate coordinate, const QString& title) = 0;
};

// Keeps a map's state without showing it.
class PlainMap : public MapInterface {
public:
    void setRegion(GeoCoordinate centre, double spanLatitude, double spanLongitude, bool) override {
        regionCentre = centre, regionSpanLatitude = spanLatitude, regionSpanLongitude = spanLongitude;
    }
    void addOverlay(const MapPolyline& line) override { lines.append(line); }
    void removeAllOverlays() override { lines.clear(); }
    QList<MapPolyline> overlays() const override { return lines; }
    QList<MapAnnotation> annotations() const override { return points; }
    void removeAnnotation(int id) override {
        points.removeIf([id](const MapAnnotation& a) { return a.id == id; });
    }
    int addAnnotation(GeoCoordinate coordinate, const QString& title) override {
        points.append({++lastId, coordinate, title});
        return lastId;
    }

    GeoCoordinate regionCentre;
    double regionSpanLatitude = 0, regionSpanLongitude = 0;

private:
    QList<MapPolyline> lines;
    QList<MapAnnotation> points;
    int lastId = 0;
};
