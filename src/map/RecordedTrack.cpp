#include "RecordedTrack.h"

#include "PositionFix.h"

MapPolyline recordedTrack(const QStringList& coordinateSet) {
    MapPolyline track;
    track.points.reserve(coordinateSet.size());
    for (const QString& entry : coordinateSet) {
        const QStringList fields = entry.split(QLatin1Char(','));
        if (fields.size() < 4) continue;
        const auto text = [&](int i) { return fields.at(i).toStdString(); };
        if (const auto p = telemetry::positionFromTexts(text(0), text(1), text(2), text(3)))
            track.points.append({p->latitude, p->longitude});
    }
    return track;
}
