// Memory a scanned recording keeps per telemetry sample: scans one long synthetic
// recording several times, keeps every record as the recording list does, and
// prints the heap and resident growth divided by the number of samples kept.
//
//   record_bench [--seconds S] [--copies N]

#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BenchArgs.h"
#include "Drive.h"
#include "Extract_Subtitle.h"
#include "SyntheticMp4.h"

namespace {

size_t heapBytes() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;  // big blocks are mapped on their own
}

long residentBytes() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

}  // namespace

int main(int argc, char** argv) {
    if (printedHelp(argc, argv,
                    "usage: record_bench [--seconds S] [--copies N]\n"
                    "  memory kept per sample: a recording of S seconds (36000) scanned N times (10)\n"))
        return 0;
    int seconds = 36000, copies = 10;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--seconds") seconds = std::stoi(argv[i + 1]);
        else if (a == "--copies") copies = std::stoi(argv[i + 1]);
    }
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "dashcam-record-bench.MP4";
    {
        testgen::DriveOptions drive;
        drive.seconds = seconds;
        testgen::SyntheticOptions o;
        for (const std::string& line : testgen::simulateDrive(drive)) o.samples.push_back(testgen::timedTextSample(line));
        o.duration = uint32_t(seconds) * 1000;
        o.videoBytesPerSample = 16;
        o.trailer = 64;
        testgen::writeSynthetic(path, o);
    }
    malloc_trim(0);
    const size_t heapBefore = heapBytes();
    const long rssBefore = residentBytes();
    std::vector<telemetry::Class_Video_Info> kept(static_cast<size_t>(copies));
    uint64_t samples = 0;
    for (auto& record : kept) {
        telemetry::Extract_Subtitle().ExtractSubtitle(record, path);
        samples += record.num_subtitle;
    }
    malloc_trim(0);
    const double heap = double(heapBytes() - heapBefore) / double(samples);
    const double rss = double(residentBytes() - rssBefore) / double(samples);
    std::filesystem::remove(path);
    std::printf("%d records of %d samples (complete: %d)\n", copies, seconds, kept.front().isSupportSubtitle);
    std::printf("heap per sample: %.0f bytes, resident per sample: %.0f bytes\n", heap, rss);
    return samples == uint64_t(copies) * uint64_t(seconds) ? 0 : 1;
}
