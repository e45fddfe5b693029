#include "RouteAnswer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include "PositionFix.h"

namespace routeanswer {

namespace {

bool readPoint(const QJsonValue& value, GeoCoordinate& point) {
    const QJsonArray pair = value.toArray();
    if (pair.size() < 2 || !pair[0].isDouble() || !pair[1].isDouble())
        return false;
    point.longitude = pair[0].toDouble();
    point.latitude = pair[1].toDouble();
    return telemetry::isUsableCoordinate(point.latitude, point.longitude);
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
            route.steps.append({instructionFor(step.toObject())});
    return true;
}

}  // namespace

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

QString osrmCodeText(const QJsonObject& object) {
    const QString code = object.value(u"code").toString();
    const QString message = object.value(u"message").toString();
    if (message.isEmpty())
        return code;
    return code.isEmpty() ? message : QStringLiteral("%1 (%2)").arg(code, message);
}

QString instructionFor(const QJsonObject& step) {
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

}  // namespace routeanswer
