// Trips, statistics and events over many long recordings: builds each synthetic
// recording's record in memory (as the scan leaves it; not timed), summarises it
// (timed), lets it go, then groups all summaries into trips (timed).
//
//   trips_bench [--recordings N] [--seconds S]

#include <time.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchArgs.h"
#include "Drive.h"
#include "SubtitleTrackReader.h"
#include "Trips.h"

namespace {

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

telemetry::Class_Video_Info record(const std::vector<std::string>& lines) {
    telemetry::Class_Video_Info r;
    r.array_SubtileInfo.emplace();
    r.array_SubtileInfo->reserve(lines.size());
    for (const std::string& line : lines) r.array_SubtileInfo->emplace_back().setSubtitleInfo(line);
    r.num_subtitle = uint32_t(lines.size());
    r.duration_second = r.num_subtitle;
    r.gapSubtitlePerSecond = 1;
    r.lastPosition = 2;
    r.isSupportSubtitle = 1;
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    if (printedHelp(argc, argv,
                    "usage: trips_bench [--recordings N] [--seconds S]\n"
                    "  statistics, events and trips of N recordings (1000) of S seconds (3600)\n"))
        return 0;
    int recordings = 1000, seconds = 3600;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--recordings") recordings = std::stoi(argv[i + 1]);
        else if (a == "--seconds") seconds = std::stoi(argv[i + 1]);
    }
    using Clock = std::chrono::steady_clock;
    Clock::duration summarising{};
    double cpuMs = 0;  // the machine is shared: CPU time says what wall time cannot
    double decodeCpuMs = 0;  // the reader turning the texts into samples, once per recording
    std::vector<trips::RecordingSummary> summaries;
    size_t events = 0;
    for (int i = 0; i < recordings; ++i) {
        // Back to back, with a half-minute stop after every fifth recording.
        testgen::DriveOptions drive;
        drive.seconds = seconds;
        drive.seed = uint32_t(i + 1);
        drive.hour = 0;
        drive.second = i * seconds + i / 5 * 30;
        drive.incidents = {{testgen::Incident::Braking, seconds / 3}, {testgen::Incident::Pothole, seconds / 2}};
        const telemetry::Class_Video_Info r = record(testgen::simulateDrive(drive));
        const auto start = Clock::now();
        const double decodeStart = threadCpuMs();
        const std::vector<telemetry::Sample> samples = telemetry::samplesOf(r);
        const double cpuStart = threadCpuMs();
        decodeCpuMs += cpuStart - decodeStart;
        summaries.push_back(trips::summarizeRecording(samples, summaries.size()));
        cpuMs += threadCpuMs() - cpuStart;
        summarising += Clock::now() - start;
        events += summaries.back().events.size();
    }
    const auto start = Clock::now();
    const double cpuStart = threadCpuMs();
    const std::vector<trips::Trip> found = trips::groupTrips(summaries);
    cpuMs += threadCpuMs() - cpuStart;
    const Clock::duration grouping = Clock::now() - start;

    const auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    std::printf("%d recordings of %d samples: %zu trips, %zu events\n", recordings, seconds, found.size(), events);
    std::printf("decoding the texts, then statistics and events: %.0f ms (%.3f ms per recording), trips: %.3f ms, "
                "total %.0f ms\n",
                ms(summarising), ms(summarising) / recordings, ms(grouping), ms(summarising + grouping));
    std::printf("CPU: decoding %.0f ms, statistics, events and trips %.0f ms\n", decodeCpuMs, cpuMs);
    return found.empty() && recordings > 0 ? 1 : 0;
}
