// The viewer against the command-line scan on one folder of small recordings, in
// one run: launch to "Load Finished" of the window (a child process that builds the
// window and opens the folder, as the program does with a folder on its command
// line), `dashcam-telemetry inspect` of the same files, and the scan alone (the
// extractor over every file in a process that keeps the records, as the window
// does). With --mixed the folder holds every camera format in turn, and the scan alone
// is each file read through the reader registry, as the window's indexing reads it.
// While the window indexes,
// a thread posts an event to it every 10 ms and the window notes how long each
// waited before it was handled: the time any input would have waited.
//
//   xvfb-run -a -s "-screen 0 1920x1080x24" viewer_index_bench [--files N] [--dir DIR] [--keep] [--events] [--mixed]
//
// The window runs on the X server, as a user's does.

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "BenchArgs.h"
#include "Drive.h"
#include "BlackVueCamera.h"
#include "CammCamera.h"
#include "Extract_Subtitle.h"
#include "GoProCamera.h"
#include "Log.h"
#include "NmeaCamera.h"
#include "NovatekCamera.h"
#include "SeventyMaiCamera.h"
#include "SyntheticMp4.h"
#include "TelemetryReader.h"
#include "ViewController.h"

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kUsage =
    "usage: xvfb-run -a -s \"-screen 0 1920x1080x24\" viewer_index_bench [--files N] [--dir DIR] [--keep] [--events] [--mixed]\n"
    "  --events  a hard braking in every recording (use a folder of its own)\n"
    "  --mixed   every camera format in turn, each a copy of one generated recording (a folder of its own)\n";

void makeFolder(const fs::path& dir, int files, bool events) {
    fs::create_directories(dir);
    testgen::DriveOptions drive;
    drive.seconds = 60;
    drive.startSpeedKmh = 60;
    if (events) drive.incidents = {{testgen::Incident::Braking, 30}};
    testgen::SyntheticOptions o;
    for (const auto& l : testgen::simulateDrive(drive)) o.samples.push_back(testgen::timedTextSample(l));
    o.duration = 60000;
    o.videoBytesPerSample = 16;
    o.trailer = 64;
    for (int i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "REC_%05d.MP4", i + 1);
        if (!fs::exists(dir / name)) testgen::writeSynthetic(dir / name, o);
    }
}

// One 60-second recording of each camera format, copied in turn: the other cameras'
// writers encode a real video with ffmpeg, too slow to run 10,000 times.
void makeMixedFolder(const fs::path& dir, int files) {
    fs::create_directories(dir);
    const fs::path templates = dir.string() + ".templates";
    fs::create_directories(templates);
    testgen::DriveOptions drive;
    drive.seconds = 60;
    drive.startSpeedKmh = 60;
    drive.noFixSeconds = 2;
    const auto points = testgen::simulateDrivePoints(drive);
    std::vector<fs::path> made;
    const auto make = [&](const char* name, auto write) {
        const fs::path path = templates / name;
        if (!fs::exists(path)) write(path.string());
        made.push_back(path);
    };
    make("ambarella.mp4", [&](const std::string& path) {
        testgen::SyntheticOptions o;
        for (const auto& l : testgen::simulateDrive(drive)) o.samples.push_back(testgen::timedTextSample(l));
        o.duration = 60000;
        o.videoBytesPerSample = 16;
        o.trailer = 64;
        testgen::writeSynthetic(path, o);
    });
    make("gopro.mp4", [&](const std::string& path) { testgen::writeGoPro(path, {.drive = points}); });
    make("novatek.mp4", [&](const std::string& path) { testgen::writeNovatek(path, points); });
    make("blackvue.mp4", [&](const std::string& path) { testgen::writeBlackVue(path, points); });
    make("70mai.mp4", [&](const std::string& path) { testgen::writeSeventyMai(path, points); });
    make("camm.mp4", [&](const std::string& path) { testgen::writeCamm(path, {.drive = points}); });
    make("nmea-track.mp4", [&](const std::string& path) { testgen::writeNmeaTrack(path, points); });
    for (int i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "REC_%05d.MP4", i + 1);
        if (!fs::exists(dir / name)) fs::copy_file(made[size_t(i) % made.size()], dir / name);
    }
}

struct ChildResult {
    double seconds = 0;
    double cpuSeconds = 0;  // user and system
    long peakRssKiB = 0;
    std::string output;
};

// Runs a program, collecting its standard output.
ChildResult runChild(const std::vector<std::string>& args) {
    int fds[2];
    if (::pipe(fds) != 0) std::perror("pipe"), std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        std::fprintf(stderr, "cannot run %s\n", argv[0]), std::exit(1);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    ChildResult r;
    char buf[4096];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) r.output.append(buf, size_t(n));
    ::close(fds[0]);
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    r.peakRssKiB = usage.ru_maxrss;
    r.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::fprintf(stderr, "%s failed\n", argv[0]), std::exit(1);
    return r;
}

// Posted to the window's thread with the time it was posted.
class Probe : public QEvent {
public:
    static const QEvent::Type kType;
    Probe() : QEvent(kType), posted(Clock::now()) {}
    Clock::time_point posted;
};
const QEvent::Type Probe::kType = QEvent::Type(QEvent::registerEventType());

class ProbeReceiver : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() != Probe::kType) return QObject::event(e);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - static_cast<Probe*>(e)->posted).count();
        std::lock_guard lock(mutex);
        waits.push_back(ms);
        if (ms > worst) worst = ms, worstAt = Clock::now();
        return true;
    }
    std::mutex mutex;
    std::vector<double> waits;
    double worst = 0;
    Clock::time_point worstAt;
};

// The child that scans the folder's files one after another and keeps the records.
int scanChild(const char* folder) {
    std::vector<std::string> paths;
    for (const auto& e : fs::directory_iterator(folder)) paths.push_back(e.path());
    std::sort(paths.begin(), paths.end());
    const auto start = Clock::now();
    std::vector<std::shared_ptr<telemetry::Class_Video_Info>> kept;
    for (const auto& p : paths) {
        auto record = std::make_shared<telemetry::Class_Video_Info>();
        telemetry::Extract_Subtitle().ExtractSubtitle(*record, p);
        kept.push_back(std::move(record));
    }
    std::printf("%.3f\n", std::chrono::duration<double>(Clock::now() - start).count());
    return 0;
}

// The child that reads the folder's files one after another through the reader
// registry and keeps the samples, as the window's indexing does for any camera.
int readChild(const char* folder) {
    std::vector<std::string> paths;
    for (const auto& e : fs::directory_iterator(folder)) paths.push_back(e.path());
    std::sort(paths.begin(), paths.end());
    const auto start = Clock::now();
    std::vector<telemetry::RecordingSamples> kept;
    kept.reserve(paths.size());
    for (const auto& p : paths) kept.push_back(telemetry::ReaderRegistry::standard().read(p));
    std::printf("%.3f\n", std::chrono::duration<double>(Clock::now() - start).count());
    return 0;
}

// The child: the window from launch to "Load Finished"; prints seconds and waits.
int viewerChild(int argc, char** argv, const QString& folder) {
    const auto launch = Clock::now();
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("DASHCAM_TILE_URL", "");
    qputenv("DASHCAM_ROUTING_URL", "");
    QApplication app(argc, argv);
    std::atomic<bool> finished{false};
    telemetry::setLogSink([&](std::string_view line) {
        if (line == "Load Finished") {
            finished = true;
            QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
        }
    });
    ViewController window;  // with its video output, as the program has it
    window.show();
    // The window's first layout and paint come before the probes, which time what
    // input waits for while the folder is indexed.
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    const double shown = std::chrono::duration<double>(Clock::now() - launch).count();
    ProbeReceiver receiver;
    std::thread prober([&] {
        while (!finished) {
            QCoreApplication::postEvent(&receiver, new Probe);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    window.openPaths({folder});
    app.exec();
    const double seconds = std::chrono::duration<double>(Clock::now() - launch).count();
    prober.join();
    std::vector<double> waits;
    double worstAt = 0;
    {
        std::lock_guard lock(receiver.mutex);
        waits = receiver.waits;
        worstAt = std::chrono::duration<double>(receiver.worstAt - launch).count();
    }
    std::sort(waits.begin(), waits.end());
    auto at = [&](double q) { return waits.empty() ? 0.0 : waits[std::min(waits.size() - 1, size_t(q * double(waits.size())))]; };
    std::printf("%.3f %.1f %.1f %.1f %zu %d %.2f %.3f\n", seconds, at(0.5), at(0.99), waits.empty() ? 0.0 : waits.back(),
                waits.size(), int(window.library.table_cnt), worstAt, shown);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--viewer") == 0) return viewerChild(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "--scan") == 0) return scanChild(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--read") == 0) return readChild(argv[2]);

    int files = 10000;
    fs::path dir = fs::temp_directory_path() / "dashcam-viewer-bench";
    bool keep = false, events = false, mixed = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--files" && i + 1 < argc) files = std::stoi(argv[++i]);
        else if (a == "--dir" && i + 1 < argc) dir = argv[++i];
        else if (a == "--keep") keep = true;
        else if (a == "--events") events = true;
        else if (a == "--mixed") mixed = true;
        else {
            const bool help = a == "--help" || a == "-h";
            std::fputs(kUsage, help ? stdout : stderr);
            return help ? 0 : 2;
        }
    }
    if (!hasDisplay(kUsage)) return 2;
    if (mixed) makeMixedFolder(dir, files);
    else makeFolder(dir, files, events);
    std::vector<std::string> paths;
    for (const auto& e : fs::directory_iterator(dir)) paths.push_back(e.path());
    std::sort(paths.begin(), paths.end());
    if (paths.size() != size_t(files)) {
        std::fprintf(stderr, "%s holds %zu entries, not %d: use a folder of its own\n", dir.c_str(), paths.size(), files);
        return 2;
    }

    // Another camera's recording is not the scan's: its peer is the samples command.
    std::vector<std::string> inspect = {DASHCAM_TELEMETRY_TOOL, mixed ? "samples" : "inspect", "-o", "/dev/null"};
    inspect.insert(inspect.end(), paths.begin(), paths.end());
    runChild(inspect);  // warms the page cache for both
    const ChildResult scan = runChild(inspect);
    std::vector<std::string> trips = {DASHCAM_TELEMETRY_TOOL, "trips", "-o", "/dev/null"};
    trips.insert(trips.end(), paths.begin(), paths.end());
    const ChildResult tripsRun = runChild(trips);
    const ChildResult scanAlone = runChild({"/proc/self/exe", mixed ? "--read" : "--scan", dir.string()});
    const ChildResult viewer = runChild({"/proc/self/exe", "--viewer", dir.string()});

    double seconds = 0, p50 = 0, p99 = 0, worst = 0, worstAt = 0, shown = 0;
    size_t probes = 0;
    int rows = 0;
    if (std::sscanf(viewer.output.c_str(), "%lf %lf %lf %lf %zu %d %lf %lf", &seconds, &p50, &p99, &worst, &probes, &rows,
                    &worstAt, &shown) != 8)
        std::fprintf(stderr, "unexpected viewer output: %s\n", viewer.output.c_str()), std::exit(1);

    std::printf("%d recordings in %s\n", files, dir.c_str());
    std::printf("%-44s %9s %13s %14s\n", "", "seconds", "CPU seconds", "peak RSS MiB");
    std::printf("%-44s %9.2f %13.2f %14.1f\n", mixed ? "dashcam-telemetry samples" : "dashcam-telemetry inspect (the scan)", scan.seconds, scan.cpuSeconds,
                scan.peakRssKiB / 1024.0);
    std::printf("%-44s %9.2f %13.2f %14.1f\n", "dashcam-telemetry trips", tripsRun.seconds, tripsRun.cpuSeconds,
                tripsRun.peakRssKiB / 1024.0);
    std::printf("%-44s %9.2f %13.2f %14.1f\n", mixed ? "the readers alone (samples kept)" : "the scan alone (records kept)", std::atof(scanAlone.output.c_str()),
                scanAlone.cpuSeconds, scanAlone.peakRssKiB / 1024.0);
    std::printf("%-44s %9.2f %13.2f %14.1f\n", "viewer: launch to \"Load Finished\"", seconds, viewer.cpuSeconds,
                viewer.peakRssKiB / 1024.0);
    std::printf("viewer / %s: %.2fx, viewer / trips: %.2fx, viewer / %s alone: %.2fx\n", mixed ? "samples" : "inspect", seconds / scan.seconds,
                seconds / tripsRun.seconds, mixed ? "readers" : "scan", seconds / std::atof(scanAlone.output.c_str()));
    std::printf("window shown %.2f s after launch; input wait while indexing (%zu probes, every 10 ms): median %.1f ms, "
                "99%% %.1f ms, worst %.1f ms (%.2f s after launch)\n",
                shown, probes, p50, p99, worst, worstAt);
    if (!keep) fs::remove_all(dir), fs::remove_all(dir.string() + ".templates");
    return rows == files ? 0 : 1;
}
