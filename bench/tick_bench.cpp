// Cost of one playback tick: what the window does once per second of playback
// (the sample for the time, five labels, the marker on the map, two log lines).
// The window is built on the X server but not shown, so no painting is counted; log
// lines go to a sink that keeps them in memory.
//
//   xvfb-run -a -s "-screen 0 1280x800x24" tick_bench [ticks]

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchArgs.h"
#include "Drive.h"
#include "Log.h"
#include "SyntheticMp4.h"
#include "ViewController.h"

int main(int argc, char** argv) {
    const char* usage =
        "usage: xvfb-run -a -s \"-screen 0 1280x800x24\" tick_bench [ticks]\n"
        "  TICKS (20000) playback ticks of the window on an hour-long recording\n";
    if (printedHelp(argc, argv, usage)) return 0;
    if (!hasDisplay(usage)) return 2;
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("DASHCAM_TILE_URL", "");
    qputenv("DASHCAM_ROUTING_URL", "");
    QApplication app(argc, argv);
    const int ticks = argc > 1 ? std::atoi(argv[1]) : 20000;

    // An hour-long recording, one sample a second.
    QTemporaryDir dir;
    testgen::DriveOptions drive;
    drive.seconds = 3600;
    testgen::SyntheticOptions o;
    for (const auto& line : testgen::simulateDrive(drive)) o.samples.push_back(testgen::timedTextSample(line));
    o.duration = 3600 * 1000;
    o.videoBytesPerSample = 16;
    o.trailer = 64;
    testgen::writeSynthetic((dir.path() + "/REC.MP4").toStdString(), o);

    std::vector<std::string> lines;
    lines.reserve(size_t(ticks) * 2 + 16);
    telemetry::setLogSink([&](std::string_view l) { lines.emplace_back(l); });
    ViewController w(MpvPlayer::Output::None);
    w.openPaths({dir.path()});
    while (w.isIndexing()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    w.library.currentStorageVideo.indexOfNowPlaying = 0;

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < ticks; ++i) w.tick({int64_t(i % 3600) * 1000000000 + 500000000, 1000000000});
    const double us = double(timer.nsecsElapsed()) / 1000.0 / ticks;
    telemetry::setLogSink({});
    std::printf("%d ticks on a 3600-sample recording: %.1f us per tick (%zu log lines)\n", ticks, us, lines.size());
    return 0;
}
