#include "RecordedTrack.h"

#include "TextValues.h"

MapPolyline recordedTrack(const QStringList& coordinateSet) {
    MapPolyline track;
    track.points.reserve(coordinateSet.size());
    for (const QString& entry : coordinateSet) {
        const QStringList fields = entry.split(QLatin1Char(','));
        if (fields.size() < 4) continue;
        double latitude = telemetry::floatingValue(fields.at(0).toStdString()) / 10000.0;
        double longitude = telemetry::floatingValue(fields.at(1).toStdString()) / 10000.0;
        if (fields.at(2) == QLatin1String("S")) latitude *= -1.0;
        if (fields.at(3) == QLatin1String("W")) longitude *= -1.0;
        track.points.append({latitude, longitude});
    }
    return track;
}
