#pragma once
// Asks an OSRM routing service for a driving route between two points, with the
// turn-by-turn instructions in English.

#include "RouteAnswer.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

class OsrmClient : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kDefaultBaseUrl = "https://router.project-osrm.org";
    static constexpr int kDefaultTimeoutMs = 10000;
    // A route across a continent is a few megabytes; more is not a route answer.
    static constexpr qint64 kMaxBodyBytes = 8 << 20;

    // Empty base URL: routing is off, every request answers with an error.
    explicit OsrmClient(const QString& baseUrl, QObject* parent = nullptr);

    // How long a request may take in all, however the server trickles its answer;
    // 0 waits for ever.
    void setTimeout(int milliseconds);

    // Asks for one route from source to destination. The completion runs exactly once,
    // later (never inside this call), on the thread of this object. The answer is read
    // on a worker thread. Destroying the client drops the completions still pending.
    void calculateDirections(GeoCoordinate source, GeoCoordinate destination,
                             std::function<void(const DirectionsAnswer&)> completion);

private:
    struct Outcome;
    // The failure a finished reply stands for; nothing when its body is a route answer to read.
    static std::optional<DirectionsAnswer> failureOf(QNetworkReply* reply, const Outcome& outcome, int timeoutMs);

    QString baseUrl_;
    int timeoutMs_ = kDefaultTimeoutMs;
    QNetworkAccessManager* network_;
};
