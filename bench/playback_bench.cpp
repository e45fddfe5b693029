// Playback CPU of the viewer beside mpv's own player, on the same file at the same
// video size, in one run: the viewer (a 1280x800 window, as a user plays a
// recording: folder opened, row clicked) playing for a while, then paused; then
// `mpv --vo=gpu` (told to accept Mesa's software renderer, as the
// viewer does) with a window of the size the viewer's video area had. Each
// process's CPU is read from /proc/PID/stat over the same number of seconds; the X
// server's own share is counted for neither.
//
//   xvfb-run -a -s "-screen 0 1280x800x24" playback_bench [--file F] [--rear R [--interior I]] [--seconds S] [--runs N] [--keep]
//
// With --rear, F and R are a moment's front and rear: the viewer opens them as a card's
// pair and plays them side by side, and mpv plays R as an external file stacked beside F
// (`--lavfi-complex=[vid1][vid2]hstack[vo]`), the same decoding and composing. --interior
// adds a third channel the same way. The frames each dropped are counted (mpv's
// frame-drop-count and decoder-frame-drop-count), and whether the viewer fell back to the
// large channel alone.
//
// The recording (1080p, 30 frames a second, 60 s, ffmpeg's testsrc2 with a drive's
// telemetry) is made by the generator unless the file exists.

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QTemporaryDir>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "BenchArgs.h"
#include "Drive.h"
#include "FileTableView.h"
#include "MediaPlayer.h"
#include "MpvPlayer.h"
#include "PlayableMp4.h"
#include "PlaybackSession.h"
#include "VideoPanel.h"
#include "ViewController.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char* kUsage =
    "usage: xvfb-run -a -s \"-screen 0 1280x800x24\" playback_bench [--file F] [--rear R [--interior I]] [--seconds S] [--runs N] [--keep]\n"
    "  --file F     the recording to play (made, 1080p30 60 s, unless it exists)\n"
    "  --rear R     F's rear channel: both played side by side\n"
    "  --interior I F's interior channel, with --rear: all three side by side\n"
    "  --seconds S  seconds of CPU sampled while playing (default 20; paused: half)\n"
    "  --runs N     viewer and mpv, one after the other, N times (default 3)\n"
    "  --keep       keep a recording the bench made\n";

// The window's side: plays the file's row, says the video's size, pauses when told.
int viewerChild(int argc, char** argv, const QString& file, bool sideBySide) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // Reports go to the bench alone: the window's log lines (one a tick) would fill
    // the pipe that nobody reads while the CPU is sampled, or the bench's table.
    FILE* report = ::fdopen(::dup(STDOUT_FILENO), "w");
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    ::close(null);
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("DASHCAM_TILE_URL", "");
    qputenv("DASHCAM_ROUTING_URL", "");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");  // libmpv's requirement
    ViewController w;
    if (sideBySide) w.session().setChannelView(ChannelLayout::SideBySide, QStringLiteral("front"));
    w.resize(1280, 800);
    w.show();
    bool started = false;
    QObject::connect(w.player, &MediaPlayer::playingChanged, &w, [&] {
        if (started || !w.player->isPlaying()) return;
        started = true;
        const QWidget* video = w.playerView->video();
        std::fprintf(report, "playing %d %d\n", video->width(), video->height());
        std::fflush(report);
    });
    bool fellBehind = false;
    QObject::connect(w.player, &MediaPlayer::fellBehind, &w, [&] { fellBehind = true; });
    QTimer poll;  // until the row is indexed, then a click on it
    QObject::connect(&poll, &QTimer::timeout, &w, [&] {
        if (w.isIndexing() || w.tableView->model()->rowCount() == 0) return;
        poll.stop();
        w.playTheVideo(0);
    });
    poll.start(50);
    QSocketNotifier commands(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&commands, &QSocketNotifier::activated, &w, [&] {
        char buf[64];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) return app.quit();
        int64_t dropped = 0, decoderDropped = 0;
        mpv_get_property(static_cast<MpvPlayer*>(w.player)->handle(), "frame-drop-count", MPV_FORMAT_INT64, &dropped);
        mpv_get_property(static_cast<MpvPlayer*>(w.player)->handle(), "decoder-frame-drop-count", MPV_FORMAT_INT64, &decoderDropped);
        dropped += decoderDropped;
        w.player->pause();
        std::fprintf(report, "paused %lld %d\n", static_cast<long long>(dropped), int(fellBehind));
        std::fflush(report);
    });
    if (!w.openPaths(QStringList{file})) return 1;
    return app.exec();
}

struct Child {
    pid_t pid = -1;
    int in = -1;   // its standard input
    FILE* out = nullptr;  // its standard output
};

Child spawn(const std::vector<std::string>& args) {
    int toChild[2], fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0) std::perror("pipe"), std::exit(1);
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) std::perror("fork"), std::exit(1);
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives the bench
        ::dup2(toChild[0], STDIN_FILENO);
        ::dup2(fromChild[1], STDOUT_FILENO);
        ::execvp(argv[0], argv.data());
        std::fprintf(stderr, "cannot run %s\n", argv[0]);
        ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    return {pid, toChild[1], ::fdopen(fromChild[0], "r")};
}

void finish(Child& c) {
    ::close(c.in);
    ::kill(c.pid, SIGTERM);
    ::waitpid(c.pid, nullptr, 0);
    std::fclose(c.out);
}

// Seconds of CPU the process has used, its threads included.
double cpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const size_t close = line.rfind(')');  // the name may hold spaces
    if (close == std::string::npos) return 0;
    unsigned long utime = 0, stime = 0;
    // Fields 14 and 15, counted from the state (field 3) after the name.
    std::sscanf(line.c_str() + close + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime);
    return double(utime + stime) / double(::sysconf(_SC_CLK_TCK));
}

// Percent of one core over the next `seconds`.
double cpuPercent(pid_t pid, double seconds) {
    const double before = cpuSeconds(pid);
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return 100 * (cpuSeconds(pid) - before) / wall;
}

std::string loadAverage() {
    std::ifstream f("/proc/loadavg");
    double one = 0, five = 0;
    f >> one >> five;
    char text[32];
    std::snprintf(text, sizeof text, "%.2f %.2f", one, five);
    return text;
}

bool readLine(FILE* f, const char* expected, std::string* line) {
    char buf[256];
    while (std::fgets(buf, sizeof buf, f))
        if (std::strncmp(buf, expected, std::strlen(expected)) == 0) return *line = buf, true;
    return false;
}

void makeRecording(const fs::path& file) {
    testgen::DriveOptions drive;
    drive.seconds = 60;
    testgen::PlayableOptions o;
    o.lines = testgen::simulateDrive(drive);
    o.width = 1920, o.height = 1080, o.fps = 30;
    std::printf("making %s (1080p30, 60 s) ...\n", file.c_str());
    std::fflush(stdout);
    testgen::writePlayable(file.string(), o);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--viewer") == 0)
        return viewerChild(argc, argv, QString::fromLocal8Bit(argv[2]), argc == 4);

    fs::path file = fs::temp_directory_path() / "dashcam-playback-bench-1080p30.MP4";
    fs::path rear, interior;
    double seconds = 20;
    int runs = 3;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--file" && i + 1 < argc) file = argv[++i];
        else if (a == "--rear" && i + 1 < argc) rear = argv[++i];
        else if (a == "--interior" && i + 1 < argc) interior = argv[++i];
        else if (a == "--seconds" && i + 1 < argc) seconds = std::atof(argv[++i]);
        else if (a == "--runs" && i + 1 < argc) runs = std::atoi(argv[++i]);
        else if (a == "--keep") keep = true;
        else {
            const bool help = a == "--help" || a == "-h";
            std::fputs(kUsage, help ? stdout : stderr);
            return help ? 0 : 2;
        }
    }
    if (!hasDisplay(kUsage)) return 2;
    const bool made = !fs::exists(file);
    if (made) makeRecording(file);
    // The pair as a camera names it, so that the viewer opens one row with both.
    std::optional<QTemporaryDir> pair;
    std::string opened = file.string();
    if (!rear.empty()) {
        pair.emplace();
        opened = pair->path().toStdString();
        fs::copy_file(file, opened + "/2024_0101_120000_0001F.MP4");
        fs::copy_file(rear, opened + "/2024_0101_120000_0001R.MP4");
        if (!interior.empty()) fs::copy_file(interior, opened + "/2024_0101_120000_0001I.MP4");
    }

    std::printf("%s; load average (1 and 5 min) at start: %s\n", file.c_str(), loadAverage().c_str());
    std::printf("%-4s %15s %13s %11s %15s %11s %16s %12s\n", "run", "viewer, playing", "mpv --vo=gpu", "viewer/mpv",
                "viewer, paused", "video size", "viewer's dropped", "fell behind");
    int failures = 0;
    for (int run = 1; run <= runs; ++run) {
        Child viewer = rear.empty() ? spawn({"/proc/self/exe", "--viewer", opened})
                                    : spawn({"/proc/self/exe", "--viewer", opened, "side"});
        std::string line;
        int w = 0, h = 0;
        if (!readLine(viewer.out, "playing", &line) || std::sscanf(line.c_str(), "playing %d %d", &w, &h) != 2) {
            std::fprintf(stderr, "the viewer did not start playing\n");
            finish(viewer);
            return 1;
        }
        std::this_thread::sleep_for(2s);  // past the first frames and the chart
        const double playing = cpuPercent(viewer.pid, seconds);
        long long dropped = -1;
        int fellBehind = 0;
        if (::write(viewer.in, "pause\n", 6) != 6 || !readLine(viewer.out, "paused", &line) ||
            std::sscanf(line.c_str(), "paused %lld %d", &dropped, &fellBehind) != 2)
            ++failures;
        std::this_thread::sleep_for(1s);
        const double paused = cpuPercent(viewer.pid, seconds / 2);
        finish(viewer);

        const std::string geometry = "--geometry=" + std::to_string(w) + "x" + std::to_string(h) + "+0+0";
        std::vector<std::string> peerArgs{"mpv", "--no-config", "--vo=gpu", "--gpu-sw", "--hwdec=no", "--ao=null", "--no-osc",
                                          "--no-border", "--keep-open=yes", "--really-quiet", "--input-terminal=no", geometry};
        if (!rear.empty() && interior.empty())
            peerArgs.insert(peerArgs.end(), {"--external-file=" + rear.string(), "--lavfi-complex=[vid1][vid2]hstack[vo]"});
        else if (!rear.empty())
            peerArgs.insert(peerArgs.end(), {"--external-file=" + rear.string(), "--external-file=" + interior.string(),
                                             "--lavfi-complex=[vid1][vid2][vid3]hstack=inputs=3[vo]"});
        peerArgs.push_back(file.string());
        Child mpv = spawn(peerArgs);
        std::this_thread::sleep_for(3s);
        const double peer = cpuPercent(mpv.pid, seconds);
        finish(mpv);
        std::printf("%-4d %14.1f%% %12.1f%% %10.2fx %14.2f%% %6dx%-4d %16lld %12s\n", run, playing, peer, playing / peer, paused, w, h,
                    dropped, fellBehind ? "yes" : "no");
        std::fflush(stdout);
    }
    std::printf("load average (1 and 5 min) at the end: %s\n", loadAverage().c_str());
    if (made && !keep) fs::remove(file);
    return failures ? 1 : 0;
}
