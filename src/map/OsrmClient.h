#pragma once
// Asks an OSRM routing service for a driving route between two points, with the
// turn-by-turn instructions in English.

#include "MapInterface.h"

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QVector>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

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

class OsrmClient : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kDefaultBaseUrl = "https://router.project-osrm.org";
    static constexpr int kDefaultTimeoutMs = 10000;

    // Empty base URL: routing is off, every request answers with an error.
    explicit OsrmClient(const QString& baseUrl, QObject* parent = nullptr);

    // DASHCAM_ROUTING_URL when set (an empty value turns routing off), else the default.
    static QString baseUrlFromEnvironment();

    // How long a request may go without any data before it fails; 0 waits for ever.
    void setTimeout(int milliseconds);

    // Asks for one route from source to destination. The completion runs exactly once,
    // later (never inside this call), on the thread of this object. Destroying the
    // client drops the completions still pending.
    void calculateDirections(GeoCoordinate source, GeoCoordinate destination,
                             std::function<void(const DirectionsAnswer&)> completion);

    // The instruction text of one OSRM step object (maneuver type/modifier, road name).
    static QString instructionFor(const QJsonObject& step);

private:
    static DirectionsAnswer answerFor(QNetworkReply* reply, int timeoutMs);

    QString baseUrl_;
    int timeoutMs_ = kDefaultTimeoutMs;
    QNetworkAccessManager* network_;
};
