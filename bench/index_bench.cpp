// Indexes a folder of synthetic recordings three times: with the scan's positioned
// reads, with a memory mapping, and with a baseline that reads each file whole
// first. Then runs `dashcam-telemetry inspect` and, when installed, its peer
// `exiftool -q -q -ee -Text` on the same files, and prints how they compare. Each
// run happens in a child process of its own so that its peak RSS is its own.
//
//   index_bench [--files N] [--size-mib M | --size-kib K] [--dir DIR] [--keep] [--drop-caches]
//
// --drop-caches (root only) empties the page cache before each run, as for a card
// just inserted.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "Drive.h"
#include "Extract_Subtitle.h"
#include "MappedFile.h"
#include "SyntheticMp4.h"

namespace fs = std::filesystem;
using namespace telemetry;

namespace {

struct Result {
    double seconds = 0;
    long peakRssKiB = 0;
    uint64_t samples = 0;  // all samples found, to check both runs agree
    int supported = 0;
};

void makeFolder(const fs::path& dir, int files, uint64_t sizeBytes) {
    fs::create_directories(dir);
    testgen::DriveOptions drive;
    drive.seconds = 120;
    const auto lines = testgen::simulateDrive(drive);
    testgen::SyntheticOptions o;
    for (const auto& l : lines) o.samples.push_back(testgen::timedTextSample(l));
    o.duration = 120000;
    o.sparseVideo = true;
    o.trailer = 64;
    o.videoBytesPerSample = sizeBytes / lines.size();
    for (int i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "REC_%04d.MP4", i + 1);
        const fs::path p = dir / name;
        if (!fs::exists(p) || fs::file_size(p) < sizeBytes) testgen::writeSynthetic(p, o);
    }
}

void dropCaches() {
    ::sync();
    std::ofstream("/proc/sys/vm/drop_caches") << "3\n";
}

Result runInChild(const std::vector<std::string>& paths, const Extract_Subtitle::Loader& loader, bool drop) {
    int fds[2];
    if (::pipe(fds) != 0) std::perror("pipe"), std::exit(1);
    if (drop) dropCaches();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        Result r;
        std::vector<Class_Video_Info> list;  // kept, as the recording list keeps them
        const auto start = std::chrono::steady_clock::now();
        for (const auto& p : paths) {
            Class_Video_Info record;
            Extract_Subtitle(loader).ExtractSubtitle(record, p);
            r.samples += record.array_SubtileInfo ? record.array_SubtileInfo->size() : 0;
            r.supported += record.isSupportSubtitle;
            list.push_back(std::move(record));
        }
        r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (::write(fds[1], &r, sizeof r) != ssize_t(sizeof r)) _exit(1);
        _exit(0);
    }
    ::close(fds[1]);
    Result r;
    if (::read(fds[0], &r, sizeof r) != ssize_t(sizeof r)) std::fprintf(stderr, "child failed\n"), std::exit(1);
    ::close(fds[0]);
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    r.peakRssKiB = usage.ru_maxrss;
    return r;
}

// Runs a program on the files, its output thrown away.
Result runProgram(std::vector<std::string> argv, const std::vector<std::string>& paths, bool drop) {
    argv.insert(argv.end(), paths.begin(), paths.end());
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    if (drop) dropCaches();
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1), ::dup2(null, 2);
        ::execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    Result r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.peakRssKiB = usage.ru_maxrss;
    r.supported = WIFEXITED(status) ? WEXITSTATUS(status) : -1;  // the exit status here
    return r;
}

bool exiftoolInstalled() { return std::system("exiftool -ver > /dev/null 2>&1") == 0; }

}  // namespace

int main(int argc, char** argv) {
    int files = 100;
    uint64_t sizeBytes = 256ull << 20;
    fs::path dir = fs::temp_directory_path() / "dashcam-index-bench";
    bool keep = false, drop = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--files" && i + 1 < argc) files = std::stoi(argv[++i]);
        else if (a == "--size-mib" && i + 1 < argc) sizeBytes = std::stoull(argv[++i]) << 20;
        else if (a == "--size-kib" && i + 1 < argc) sizeBytes = std::stoull(argv[++i]) << 10;
        else if (a == "--dir" && i + 1 < argc) dir = argv[++i];
        else if (a == "--keep") keep = true;
        else if (a == "--drop-caches") drop = true;
        else {
            const bool help = a == "--help" || a == "-h";
            std::fputs("usage: index_bench [--files N] [--size-mib M | --size-kib K] [--dir DIR] [--keep] [--drop-caches]\n"
                       "  --drop-caches  empty the page cache before each run (root only)\n",
                       help ? stdout : stderr);
            return help ? 0 : 2;
        }
    }
    makeFolder(dir, files, sizeBytes);
    std::vector<std::string> paths;
    for (const auto& e : fs::directory_iterator(dir)) paths.push_back(e.path());
    std::sort(paths.begin(), paths.end());
    paths.resize(std::min<size_t>(paths.size(), size_t(files)));

    // Without dropping the cache, an untimed first pass warms it so that no mode
    // pays for the first reads alone.
    if (!drop) runInChild(paths, [](const std::string& p) { return std::make_unique<RandomAccessFile>(p); }, false);
    const Result ranges = runInChild(paths, [](const std::string& p) { return std::make_unique<RandomAccessFile>(p); }, drop);
    const Result mapped = runInChild(paths, [](const std::string& p) { return std::make_unique<MappedFile>(p); }, drop);
    const Result whole = runInChild(paths, [](const std::string& p) { return std::make_unique<WholeFile>(p); }, drop);
    const Result inspect = runProgram({DASHCAM_TELEMETRY_EXE, "inspect"}, paths, drop);
    const bool peer = exiftoolInstalled();
    Result exiftool;
    if (peer) {
        if (!drop) runProgram({"exiftool", "-q", "-q", "-ee", "-Text"}, paths, false);  // its first run loads its modules
        exiftool = runProgram({"exiftool", "-q", "-q", "-ee", "-Text"}, paths, drop);
    }

    std::printf("files: %zu x %.3f MiB (sparse) in %s%s\n", paths.size(), double(sizeBytes) / (1 << 20), dir.c_str(),
                drop ? ", page cache dropped before each run" : "");
    std::printf("%-22s %10s %14s %10s %10s\n", "scan", "seconds", "peak RSS MiB", "with tel.", "samples");
    auto row = [](const char* name, const Result& r) {
        std::printf("%-22s %10.3f %14.1f %10d %10llu\n", name, r.seconds, r.peakRssKiB / 1024.0, r.supported,
                    (unsigned long long)r.samples);
    };
    row("range reads (scan)", ranges);
    row("memory-mapped", mapped);
    row("whole-file read", whole);
    std::printf("speed-up of the scan over the whole-file read: %.0fx\n", whole.seconds / ranges.seconds);
    std::printf("%-26s %6.3f %14.1f %10s\n", "dashcam-telemetry inspect", inspect.seconds, inspect.peakRssKiB / 1024.0,
                inspect.supported == 0 ? "exit 0" : "FAILED");
    if (peer) {
        std::printf("%-26s %6.3f %14.1f %10s\n", "exiftool -ee -Text", exiftool.seconds, exiftool.peakRssKiB / 1024.0,
                    exiftool.supported == 0 ? "exit 0" : "FAILED");
        std::printf("exiftool / inspect: %.1fx the time, %.1fx the peak RSS; exiftool / scan: %.0fx the time\n",
                    exiftool.seconds / inspect.seconds, double(exiftool.peakRssKiB) / double(inspect.peakRssKiB),
                    exiftool.seconds / ranges.seconds);
    } else {
        std::printf("exiftool is not installed: no comparison\n");
    }
    if (!keep) fs::remove_all(dir);
    if (ranges.samples != whole.samples || ranges.supported != whole.supported || mapped.samples != whole.samples) {
        std::fprintf(stderr, "the two scans disagree\n");
        return 1;
    }
    return 0;
}
