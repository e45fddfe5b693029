#include "TrackEnds.h"

#include <QPainter>
#include <QPainterPath>

#include "SubtitleTrackReader.h"

TrackEnds trackEnds(const telemetry::Class_Video_Info& record) { return trackEnds(telemetry::samplesOf(record)); }

TrackEnds trackEnds(const std::vector<telemetry::Sample>& samples) {
    TrackEnds ends;
    for (const telemetry::Sample& sample : samples)
        if (sample.fix) {
            const GeoCoordinate c{sample.fix->lat, sample.fix->lon};
            if (!ends.start) ends.start = c;
            ends.end = c;
        }
    return ends;
}

namespace {
QImage dot(bool chequered) {
    constexpr int kSize = 14;
    QImage image(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(1.5, 1.5, kSize - 3, kSize - 3);
    p.setPen(Qt::NoPen);
    p.setBrush(chequered ? QColor(Qt::white) : QColor(0x2e, 0x7d, 0x32));
    p.drawEllipse(disc);
    if (chequered) {
        QPainterPath clip;
        clip.addEllipse(disc);
        p.setClipPath(clip);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                if ((x + y) % 2) p.fillRect(QRectF(1.5 + x * 2.75, 1.5 + y * 2.75, 2.75, 2.75), Qt::black);
        p.setClipping(false);
    }
    p.setPen(QPen(chequered ? QColor(Qt::black) : QColor(Qt::white), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(disc);
    return image;
}
}  // namespace

std::optional<QImage> trackEndImage(const QString& title) {
    static const QImage start = dot(false), end = dot(true);
    if (title == QLatin1String(kTrackStartTitle)) return start;
    if (title == QLatin1String(kTrackEndTitle)) return end;
    return std::nullopt;
}
