#include "OsrmClient.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

#ifndef DASHCAM_VERSION
#define DASHCAM_VERSION "0.1.0"
#endif

namespace {

// QString::number ignores the locale, so the decimal point stays '.'; six
// decimals is about ten centimetres, finer than any road snapping.
QString coordinateText(GeoCoordinate c) {
    return QString::number(c.longitude, 'f', 6) + u',' + QString::number(c.latitude, 'f', 6);
}

// "NoRoute (Impossible route between points)", or just the code without a message.
QString osrmCodeText(const QJsonObject& object) {
    const QString code = object.value(u"code").toString();
    const QString message = object.value(u"message").toString();
    if (message.isEmpty())
        return code;
    return code.isEmpty() ? message : QStringLiteral("%1 (%2)").arg(code, message);
}

bool readPoint(const QJsonValue& value, GeoCoordinate& point) {
    const QJsonArray pair = value.toArray();
    if (pair.size() < 2 || !pair[0].isDouble() || !pair[1].isDouble())
        return false;
    point.longitude = pair[0].toDouble();
    point.latitude = pair[1].toDouble();
    return true;
}

bool readRoute(const QJsonObject& object, Route& route) {
    const QJsonValue coordinates = object.value(u"geometry").toObject().value(u"coordinates");
    if (!coordinates.isArray())
        return false;
    for (const QJsonValue& value : coordinates.toArray()) {
        GeoCoordinate point;
        if (!readPoint(value, point))
            return false;
        route.polyline.append(point);
    }
    for (const QJsonValue& leg : object.value(u"legs").toArray())
        for (const QJsonValue& step : leg.toObject().value(u"steps").toArray())
            route.steps.append({OsrmClient::instructionFor(step.toObject())});
    return true;
}

// The answer that an OSRM route body stands for, once HTTP has said 200.
DirectionsAnswer parseRouteBody(const QByteArray& body) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return {QStringLiteral("The routing service's answer is not JSON: %1 at byte %2.")
                    .arg(parseError.errorString())
                    .arg(parseError.offset),
                {}};
    if (!document.isObject())
        return {QStringLiteral("The routing service's answer is not a JSON object."), {}};

    const QJsonObject object = document.object();
    const QString code = object.value(u"code").toString();
    if (code != u"Ok") {
        const QString osrm = osrmCodeText(object);
        return {QStringLiteral("The routing service could not route: %1")
                    .arg(osrm.isEmpty() ? QStringLiteral("the answer has no result code") : osrm),
                {}};
    }

    DirectionsAnswer answer;
    for (const QJsonValue& value : object.value(u"routes").toArray()) {
        Route route;
        if (!readRoute(value.toObject(), route))
            return {QStringLiteral("The routing service's answer has a route without a usable geometry."), {}};
        answer.routes.append(route);
    }
    return answer;
}

}  // namespace

OsrmClient::OsrmClient(const QString& baseUrl, QObject* parent)
    : QObject(parent), baseUrl_(baseUrl), network_(new QNetworkAccessManager(this)) {
    while (baseUrl_.endsWith(u'/'))
        baseUrl_.chop(1);
}

QString OsrmClient::baseUrlFromEnvironment() {
    if (qEnvironmentVariableIsSet("DASHCAM_ROUTING_URL"))
        return qEnvironmentVariable("DASHCAM_ROUTING_URL").trimmed();
    return QString::fromLatin1(kDefaultBaseUrl);
}

void OsrmClient::setTimeout(int milliseconds) { timeoutMs_ = qMax(0, milliseconds); }

void OsrmClient::calculateDirections(GeoCoordinate source, GeoCoordinate destination,
                                     std::function<void(const DirectionsAnswer&)> completion) {
    if (!completion)
        return;
    if (baseUrl_.isEmpty()) {
        // Queued, so callers see the same order of events as with a real request.
        QTimer::singleShot(0, this, [completion = std::move(completion)] {
            completion({QStringLiteral("Routing is turned off (DASHCAM_ROUTING_URL is empty)."), {}});
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
    request.setTransferTimeout(timeoutMs_);

    QNetworkReply* reply = network_->get(request);
    // The reply always finishes later, from the event loop, never inside get().
    connect(reply, &QNetworkReply::finished, this,
            [reply, timeout = timeoutMs_, completion = std::move(completion)] {
                reply->deleteLater();
                completion(answerFor(reply, timeout));
            });
}

DirectionsAnswer OsrmClient::answerFor(QNetworkReply* reply, int timeoutMs) {
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    // Qt also flags 4xx/5xx answers as errors; those carry a status and a body worth reading.
    if (!status.isValid() || (status.toInt() == 200 && reply->error() != QNetworkReply::NoError)) {
        // The transfer timeout aborts the reply, which Qt reports as "Operation canceled".
        if (reply->error() == QNetworkReply::OperationCanceledError || reply->error() == QNetworkReply::TimeoutError)
            return {QStringLiteral("The routing service timed out: no answer within %1 ms.").arg(timeoutMs), {}};
        return {QStringLiteral("Could not reach the routing service: %1").arg(reply->errorString()), {}};
    }

    const QByteArray body = reply->readAll();
    if (status.toInt() != 200) {
        const QJsonObject object = QJsonDocument::fromJson(body).object();
        const QString osrm = osrmCodeText(object);
        if (!osrm.isEmpty())
            return {QStringLiteral("The routing service could not route (HTTP status %1): %2").arg(status.toInt()).arg(osrm),
                    {}};
        QString text = QStringLiteral("The routing service answered with HTTP status %1").arg(status.toInt());
        const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        if (!reason.isEmpty())
            text += QStringLiteral(" (%1)").arg(reason);
        return {text + u'.', {}};
    }
    return parseRouteBody(body);
}

QString OsrmClient::instructionFor(const QJsonObject& step) {
    const QJsonObject maneuver = step.value(u"maneuver").toObject();
    const QString type = maneuver.value(u"type").toString();
    const QString modifier = maneuver.value(u"modifier").toString();
    const int exit = maneuver.value(u"exit").toInt();
    // Motorways often have only a reference ("A1"), no name.
    QString name = step.value(u"name").toString().trimmed();
    if (name.isEmpty())
        name = step.value(u"ref").toString().trimmed();
    const QString onto = name.isEmpty() ? QString() : QStringLiteral(" onto ") + name;

    // The manoeuvres that a direction alone describes.
    const auto directed = [&](const QString& verb) -> QString {
        if (modifier == u"straight")
            return QStringLiteral("Continue straight") + onto;
        if (modifier == u"uturn")
            return QStringLiteral("Make a U-turn") + onto;
        if (modifier.isEmpty() || verb == u"Continue")
            return verb + onto;
        return verb + u' ' + modifier + onto;
    };

    if (type == u"arrive")
        return QStringLiteral("You have arrived at your destination");
    if (type == u"depart")
        return name.isEmpty() ? QStringLiteral("Depart") : QStringLiteral("Head out onto ") + name;
    if (type == u"turn" || type == u"end of road")
        return directed(QStringLiteral("Turn"));
    if (type == u"merge")
        return QStringLiteral("Merge") + onto;
    if (type == u"on ramp")
        return QStringLiteral("Take the ramp") + onto;
    if (type == u"off ramp")
        return QStringLiteral("Take the exit") + onto;
    if (type == u"fork") {
        // At a fork "Keep left" reads better than "Keep slight left".
        if (modifier.startsWith(u"slight "))
            return QStringLiteral("Keep ") + modifier.mid(7) + onto;
        return modifier.isEmpty() ? QStringLiteral("Continue") + onto : directed(QStringLiteral("Keep"));
    }
    if (type == u"roundabout" || type == u"rotary" || type == u"roundabout turn") {
        QString text = QStringLiteral("Enter the roundabout");
        if (exit > 0)
            text += QStringLiteral(" and take exit %1").arg(exit);
        return text + onto;
    }
    if (type == u"exit roundabout" || type == u"exit rotary")
        return QStringLiteral("Exit the roundabout") + onto;
    // "new name", "continue", "notification" and types newer than this code.
    return directed(QStringLiteral("Continue"));
}
