// Redraw time of the map with a recorded track of an hour (3,600 points) and of ten
// hours (36,000 points) and the vehicle marker, drawn into an image the size of a
// large map pane at several zooms, while the marker moves and while the view pans. No tiles. Each figure is the mean over as many
// redraws as fit in about a second (at least 3), as wall time and as the thread's CPU
// time (what the redraw costs when the machine is shared). Then the cost of a click on
// the track: every sample projected and the one under the pointer found.
//
//   map_bench [seconds-per-figure]

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <string_view>

#include "BenchArgs.h"
#include "Class_Subtitle_Info.h"
#include "Class_Video_Info.h"
#include "Drive.h"
#include "MapWidget.h"
#include "SampleValues.h"
#include "SubtitleTrackReader.h"
#include "TextValues.h"
#include "TrackHit.h"

namespace {
double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

MapPolyline drive(int seconds) {
    testgen::DriveOptions options;
    options.seconds = seconds;
    MapPolyline track;
    for (const std::string& line : testgen::simulateDrive(options)) {
        telemetry::Class_Subtitle_Info s;
        s.setSubtitleInfo(line);
        track.points.append({telemetry::floatingValue(s.lat) / 10000.0, telemetry::floatingValue(s.lon) / 10000.0});
    }
    return track;
}
}  // namespace

int main(int argc, char** argv) {
    if (printedHelp(argc, argv,
                    "usage: map_bench [seconds-per-figure]\n"
                    "  redraws of the map with a 1 h and a 10 h track for SECONDS (1) each, into images,\n"
                    "  no display needed\n"))
        return 0;
    // Drawn into images: the platform's composition is not part of the figure.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double budgetMs = (argc > 1 ? std::atof(argv[1]) : 1.0) * 1000;

    struct Red : MapViewDelegate {
        QPen rendererForOverlay(const MapPolyline&) override { return QPen(Qt::red, 4.0); }
        std::optional<QImage> viewForAnnotation(const MapAnnotation&) override { return std::nullopt; }
    } look;
    for (int seconds : {3600, 36000}) {
        const MapPolyline track = drive(seconds);
        const GeoCoordinate middle = track.points.at(track.points.size() / 2);
        MapWidget map{QString()};
        map.setDelegate(&look);
        map.resize(1000, 700);
        map.addOverlay(track);
        for (double zoom : {5.0, 8.0, 11.0, 14.0, 17.0}) {
            // As in playback: the marker moves between redraws and the view stays; as
            // in a drag: the view moves a pixel between redraws; as in a zoom animation:
            // the zoom changes between redraws.
            for (const char* mode : {"marker", "pan", "zoom"}) {
                const std::string_view how = mode;
                map.setView(middle, zoom);
                QImage image(map.size(), QImage::Format_ARGB32_Premultiplied);
                map.render(&image);  // warm up
                QElapsedTimer timer;
                timer.start();
                const double cpuStart = cpuMs();
                int frames = 0;
                while (frames < 3 || timer.nsecsElapsed() / 1e6 < budgetMs) {
                    if (how == "pan") {
                        map.setView(map.toCoordinate(QPointF(501, 350)), zoom);
                    } else if (how == "zoom") {
                        map.setView(middle, zoom + (frames % 2 ? 0.01 : 0.0));
                    } else {
                        for (const MapAnnotation& a : map.annotations()) map.removeAnnotation(a.id);
                        map.addAnnotation(track.points.at((frames * 7) % track.points.size()), "Start");
                    }
                    map.render(&image);
                    ++frames;
                }
                std::printf("%6d points, zoom %2.0f, %-6s: %8.2f ms per redraw, %8.2f ms CPU (1000x700, %d redraws)\n",
                            int(track.points.size()), zoom, mode,
                            double(timer.nsecsElapsed()) / 1e6 / frames, (cpuMs() - cpuStart) / frames, frames);
                std::fflush(stdout);
            }
        }
        telemetry::Class_Video_Info record;
        record.array_SubtileInfo.emplace();
        testgen::DriveOptions options;
        options.seconds = seconds;
        for (const std::string& line : testgen::simulateDrive(options)) {
            record.array_SubtileInfo->emplace_back();
            record.array_SubtileInfo->back().setSubtitleInfo(line);
        }
        map.setView(middle, 17);
        QElapsedTimer timer;
        timer.start();
        int clicks = 0, hits = 0;
        while (clicks < 3 || timer.nsecsElapsed() / 1e6 < budgetMs) {
            // The fixes as the window's click finds them (recordedFixes).
            QVector<std::optional<GeoCoordinate>> fixes;
            for (const telemetry::Sample& sample : telemetry::samplesOf(record)) {
                const auto& fix = sample.fix;
                fixes.append(fix ? std::optional(GeoCoordinate{fix->lat, fix->lon}) : std::nullopt);
            }
            const auto pixels = trackhit::samplePixels(fixes, [&](GeoCoordinate c) { return map.toWidget(c); });
            hits += trackhit::sampleAt(pixels, map.toWidget(middle) + QPointF(2, 2)).has_value();
            ++clicks;
        }
        std::printf("%6d samples, click on the track: %8.3f ms (%d clicks, %d hits)\n", seconds,
                    double(timer.nsecsElapsed()) / 1e6 / clicks, clicks, hits);
    }
    return 0;
}
