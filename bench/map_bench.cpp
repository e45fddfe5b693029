// Redraw time of the map with an hour-long recorded track (3600 points) and the
// vehicle marker, drawn into an image the size of a large map pane. No tiles.
//
//   map_bench [frames]

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <cstdio>

#include "Drive.h"
#include "MapWidget.h"
#include "Class_Subtitle_Info.h"
#include "TextValues.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int frames = argc > 1 ? std::atoi(argv[1]) : 200;

    testgen::DriveOptions drive;
    drive.seconds = 3600;
    MapPolyline track;
    for (const std::string& line : testgen::simulateDrive(drive)) {
        telemetry::Class_Subtitle_Info s;
        s.setSubtitleInfo(line);
        track.points.append({telemetry::floatingValue(s.lat) / 10000.0, telemetry::floatingValue(s.lon) / 10000.0});
    }
    struct Red : MapViewDelegate {
        QPen rendererForOverlay(const MapPolyline&) override { return QPen(Qt::red, 4.0); }
        std::optional<QImage> viewForAnnotation(const MapAnnotation&) override { return std::nullopt; }
    } look;
    MapWidget map{QString()};
    map.setDelegate(&look);
    map.resize(1000, 700);
    map.addOverlay(track);
    map.addAnnotation(track.points.at(1800), "Start");
    for (double zoom : {11.0, 14.0}) {
        map.setView(track.points.at(1800), zoom);
        QImage image(map.size(), QImage::Format_ARGB32_Premultiplied);
        map.render(&image);  // warm up
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < frames; ++i) map.render(&image);
        std::printf("zoom %.0f: %.2f ms per redraw (%d points, 1000x700, %d frames)\n", zoom,
                    double(timer.nsecsElapsed()) / 1e6 / frames, int(track.points.size()), frames);
    }
    return 0;
}
