#include "OsrmClient.h"

#include <QFutureWatcher>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>
#include <QtConcurrent/QtConcurrentRun>
#include <memory>

#ifndef DASHCAM_VERSION
#define DASHCAM_VERSION "0.1.0"
#endif

namespace {

// QString::number ignores the locale, so the decimal point stays '.'; six
// decimals is about ten centimetres, finer than any road snapping.
QString coordinateText(GeoCoordinate c) {
    return QString::number(c.longitude, 'f', 6) + u',' + QString::number(c.latitude, 'f', 6);
}

}  // namespace

// How a request ended early, if it did.
struct OsrmClient::Outcome {
    bool timedOut = false;
    bool tooLarge = false;
};

OsrmClient::OsrmClient(const QString& baseUrl, QObject* parent)
    : QObject(parent), baseUrl_(baseUrl), network_(new QNetworkAccessManager(this)) {
    while (baseUrl_.endsWith(u'/'))
        baseUrl_.chop(1);
}

void OsrmClient::setTimeout(int milliseconds) { timeoutMs_ = qMax(0, milliseconds); }

void OsrmClient::calculateDirections(GeoCoordinate source, GeoCoordinate destination,
                                     std::function<void(const DirectionsAnswer&)> completion) {
    if (!completion)
        return;
    if (baseUrl_.isEmpty()) {
        // Queued, so callers see the same order of events as with a real request.
        QTimer::singleShot(0, this, [completion = std::move(completion)] {
            completion({QStringLiteral("Routing is turned off: no usable routing server is set."), {}});
        });
        return;
    }

    QUrl url(baseUrl_ + QStringLiteral("/route/v1/driving/") + coordinateText(source) + u';' +
             coordinateText(destination));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("alternatives"), QStringLiteral("false"));
    query.addQueryItem(QStringLiteral("steps"), QStringLiteral("true"));
    query.addQueryItem(QStringLiteral("overview"), QStringLiteral("full"));
    query.addQueryItem(QStringLiteral("geometries"), QStringLiteral("geojson"));
    url.setQuery(query);

    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("dashcam-viewer/" DASHCAM_VERSION));
    request.setRawHeader("Accept", "application/json");

    QNetworkReply* reply = network_->get(request);
    auto outcome = std::make_shared<Outcome>();
    if (timeoutMs_ > 0) {
        // A total deadline: Qt's transfer timeout restarts with every byte that arrives.
        auto* deadline = new QTimer(reply);
        deadline->setSingleShot(true);
        connect(deadline, &QTimer::timeout, reply, [reply, outcome] {
            outcome->timedOut = true;
            reply->abort();
        });
        deadline->start(timeoutMs_);
    }
    // Beyond the cap as the header announces it or as the bytes arrive, not once all are in.
    const auto capped = [reply, outcome](qint64 bytes) {
        if (bytes > kMaxBodyBytes && !outcome->tooLarge) {
            outcome->tooLarge = true;
            reply->abort();
        }
    };
    connect(reply, &QNetworkReply::metaDataChanged, reply,
            [reply, capped] { capped(reply->header(QNetworkRequest::ContentLengthHeader).toLongLong()); });
    connect(reply, &QNetworkReply::downloadProgress, reply, [capped](qint64 received, qint64) { capped(received); });
    // The reply always finishes later, from the event loop, never inside get().
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, outcome, timeout = timeoutMs_, completion = std::move(completion)] {
                reply->deleteLater();
                if (std::optional<DirectionsAnswer> failure = failureOf(reply, *outcome, timeout)) {
                    completion(*failure);
                    return;
                }
                // A route of a million points takes seconds to read: not on the window's thread.
                auto* reading = new QFutureWatcher<DirectionsAnswer>(this);
                connect(reading, &QFutureWatcherBase::finished, this, [reading, completion] {
                    reading->deleteLater();
                    completion(reading->result());
                });
                reading->setFuture(QtConcurrent::run(&routeanswer::parseRouteBody, reply->readAll()));
            });
}

std::optional<DirectionsAnswer> OsrmClient::failureOf(QNetworkReply* reply, const Outcome& outcome, int timeoutMs) {
    if (outcome.timedOut)
        return DirectionsAnswer{QStringLiteral("The routing service timed out: no answer within %1 ms.").arg(timeoutMs), {}};
    if (outcome.tooLarge)
        return DirectionsAnswer{QStringLiteral("The routing service's answer is larger than %1 MiB.").arg(kMaxBodyBytes >> 20), {}};
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    // Qt also flags 4xx/5xx answers as errors; those carry a status and a body worth reading.
    if (!status.isValid() || (status.toInt() == 200 && reply->error() != QNetworkReply::NoError))
        return DirectionsAnswer{QStringLiteral("Could not reach the routing service: %1").arg(reply->errorString()), {}};
    if (status.toInt() == 200) return std::nullopt;

    const QJsonObject object = QJsonDocument::fromJson(reply->readAll()).object();
    const QString osrm = routeanswer::osrmCodeText(object);
    if (!osrm.isEmpty())
        return DirectionsAnswer{
            QStringLiteral("The routing service could not route (HTTP status %1): %2").arg(status.toInt()).arg(osrm), {}};
    QString text = QStringLiteral("The routing service answered with HTTP status %1").arg(status.toInt());
    const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    if (!reason.isEmpty())
        text += QStringLiteral(" (%1)").arg(reason);
    return DirectionsAnswer{text + u'.', {}};
}
