#pragma once
// Reading an OSRM route answer: pure functions of the body's bytes, free of any
// network or window, so they run on a worker thread and under a fuzzer.

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QVector>

#include "MapInterface.h"

struct RouteStep {
    QString instructions;
};

struct Route {
    QVector<GeoCoordinate> polyline;
    QVector<RouteStep> steps;
};

// Either an error with a readable description, or the routes in the service's order.
struct DirectionsAnswer {
    QString error;
    QVector<Route> routes;
    bool ok() const { return error.isEmpty(); }
};

namespace routeanswer {

// The answer an OSRM route body stands for, once HTTP has said 200. A geometry point
// that is not a usable coordinate makes the route unusable.
DirectionsAnswer parseRouteBody(const QByteArray& body);

// "NoRoute (Impossible route between points)", or just the code without a message.
QString osrmCodeText(const QJsonObject& object);

// The instruction text of one OSRM step object (maneuver type/modifier, road name).
QString instructionFor(const QJsonObject& step);

}  // namespace routeanswer
