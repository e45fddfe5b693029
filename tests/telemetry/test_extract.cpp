#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>

#include "Drive.h"
#include "Extract_Subtitle.h"
#include "Files.h"
#include "Log.h"
#include "SyntheticMp4.h"

using namespace telemetry;
using testgen::SyntheticLayout;
using testgen::SyntheticOptions;
using testgen::timedTextSample;
namespace fs = std::filesystem;

namespace {

std::string line(const std::string& lat, const std::string& lon = "1034567", const std::string& ns = "N",
                 const std::string& we = "E") {
    return "$0.01$-0.02$0.98$" + lon + "$" + lat + "$90$45.9$2016$5$12$9$3$7$" + ns + "$" + we;
}

// Sample k at lat 450000 + k, lon 1030000 + k; those listed have no fix.
std::vector<std::string> indexedLines(int n, const std::vector<int>& withoutFix = {}) {
    std::vector<std::string> lines;
    for (int k = 0; k < n; ++k)
        lines.push_back(line(std::ranges::count(withoutFix, k) ? "0" : std::to_string(450000 + k),
                             std::to_string(1030000 + k)));
    return lines;
}

std::string todayText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y/%m/%d", &local);
    return text;
}

class ExtractTest : public ::testing::Test {
protected:
    testgen::TempDir tmp{fs::temp_directory_path() / "extract-XXXXXX"};
    const fs::path dir = tmp.path();

    static Class_Video_Info scan(const std::string& path) {
        Class_Video_Info record;
        Extract_Subtitle().ExtractSubtitle(record, path);
        return record;
    }
    Class_Video_Info scan(const SyntheticOptions& o, SyntheticLayout* layout = nullptr) {
        const std::string path = (dir / "REC_0001.MP4").string();
        const SyntheticLayout l = testgen::writeSynthetic(path, o);
        if (layout) *layout = l;
        return scan(path);
    }
    static SyntheticOptions drive(const std::vector<std::string>& lines, uint32_t seconds) {
        SyntheticOptions o;
        for (const auto& l : lines) o.samples.push_back(timedTextSample(l));
        o.duration = seconds * 1000;
        o.trailer = 64;  // as cameras write: a short table does not end the file
        return o;
    }
};

}  // namespace

TEST_F(ExtractTest, CoordinateSetStartEndAndCentre) {
    const struct {
        int samples;
        std::vector<int> withoutFix, coordinates;
        const char *start, *centre, *end;
    } cases[] = {
        {12, {}, {0, 5, 10, 11}, "450000", "450006", "450011"},
        {11, {}, {0, 5, 10, 10}, "450000", "450005", "450010"},  // last index a multiple of 5: twice
        {1, {}, {0, 0}, "450000", "450000", "450000"},
        {8, {0, 1, 2}, {5, 7}, "450003", "450004", "450007"},  // sample 0 has no fix: not in the set
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.samples);
        const auto r = scan(drive(indexedLines(c.samples, c.withoutFix), uint32_t(c.samples)));
        std::vector<std::string> set;
        for (int k : c.coordinates)
            set.push_back(std::to_string(450000 + k) + "," + std::to_string(1030000 + k) + ",N,E");
        EXPECT_EQ(*r.array_coordinate_set, set);
        EXPECT_EQ(std::tuple(r.Start_Lat, r.Center_Lat, r.End_Lat), std::tuple(c.start, c.centre, c.end));
    }
}

TEST_F(ExtractTest, MissingFixesFallBackToTheLatestFix) {
    std::vector<std::string> lines = indexedLines(45);
    for (int k = 41; k < 45; ++k) lines[k] = line("0", "0");
    lines[40] = line("451234", "1034567", "S", "W");
    const auto r = scan(drive(lines, 45));
    EXPECT_EQ(std::tuple(r.End_Lat, r.End_Lon), std::tuple(Text("451234"), Text("1034567")));
    EXPECT_EQ(std::tuple(r.sign_end_lat, r.sign_end_lon, r.sign_maintain_lat), std::tuple(1u, 1u, 1u));

    // Middle sample without a fix and none before it: the centre stays null.
    const auto c = scan(drive(indexedLines(10, {0, 1, 2, 3, 4, 5}), 10));
    EXPECT_EQ(std::tuple(c.Center_Lat, c.Center_Lon, c.sign_center_lat + c.sign_center_lon, c.Start_Lat),
              std::tuple(std::nullopt, std::nullopt, 0u, "450006"));

    std::vector<std::string> none;
    for (int k = 0; k < 7; ++k) none.push_back(line("0", std::to_string(k), k == 6 ? "S" : "N", "W"));
    const auto n = scan(drive(none, 7));
    // No fix at all: every sample overwrites the start, nothing else is set.
    EXPECT_EQ(std::tuple(n.isSupportSubtitle, n.Start_Lat, n.Start_Lon, n.sign_start_lat, n.End_Lat, n.Center_Lon),
              std::tuple(1, Text("0"), Text("6"), 1u, std::nullopt, std::nullopt));
    EXPECT_EQ(n.sign_end_lat + n.sign_end_lon + n.sign_center_lat + n.sign_center_lon, 0u);
    EXPECT_TRUE(n.array_coordinate_set->empty());
}

TEST_F(ExtractTest, SamplesPerSecondRoundsUp) {
    struct Case {
        int samples;
        uint32_t seconds, gap, last;
    };
    for (const Case c : {Case{60, 60, 1, 2}, Case{30, 60, 1, 32}, Case{121, 60, 3, 61}, Case{59, 59, 1, 2},
                         Case{60, 59, 2, 60}, Case{0, 10, 0, 2}}) {
        SCOPED_TRACE(std::to_string(c.samples) + " in " + std::to_string(c.seconds));
        const auto r = scan(drive(indexedLines(c.samples), c.seconds));
        EXPECT_EQ(std::tuple(r.isSupportSubtitle, r.gapSubtitlePerSecond, r.lastPosition),
                  std::tuple(1, c.gap, c.last));
        EXPECT_EQ(r.array_SubtileInfo->size(), size_t(c.samples));
        EXPECT_EQ(r.fileDateYMD, c.samples ? "2016/05/12" : todayText());
    }
    SyntheticOptions o = drive(indexedLines(3), 0);
    o.duration = 999;  // below one second: read and summarised all the same
    const auto r = scan(o);
    EXPECT_EQ(std::tuple(r.isSupportSubtitle, r.duration_second, r.gapSubtitlePerSecond, r.End_Lat),
              std::tuple(0, 0u, 0u, "450002"));
}

TEST_F(ExtractTest, MovieHeaderNotFound) {
    const struct {
        const char* name;
        void (*change)(SyntheticOptions&);
        uint32_t duration;
    } cases[] = {
        // Just above 1.0: the search goes on to the matrix's 1.0, after zeros.
        {"rate", [](SyntheticOptions& o) { o.rate = 0x00010001; }, 0},
        {"zero duration", [](SyntheticOptions& o) { o.duration = 0; }, 0},
        {"movie box beyond the movie window", [](SyntheticOptions& o) { o.moovGap = 400001; }, 0},
        // The 64-bit duration's halves read as time scale 0 and duration.
        {"version 1", [](SyntheticOptions& o) { o.mvhdVersion = 1; }, 5000},
        {"time scale 0", [](SyntheticOptions& o) { o.timescale = 0; }, 5000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SyntheticOptions o = drive(indexedLines(5), 5);
        c.change(o);
        const auto r = scan(o);
        EXPECT_EQ(std::tuple(r.isSupportSubtitle, r.duration), std::tuple(0, c.duration));
        EXPECT_FALSE(r.Start_Lat || r.array_lengthOfSubtitle || r.array_SubtileInfo);
    }
}

// Where the header, the marker and the tables are found: (moov, mvhd, marker) of the
// layout or 0, the samples counted, whether the scan completes.
TEST_F(ExtractTest, BoxesAndTablesFoundOrNot) {
    enum { kZero, kLayout };
    const struct {
        const char* name;
        void (*change)(SyntheticOptions&);
        int moov, marker;
        uint32_t samples;
        int supported;
    } cases[] = {
        // The movie window starts at 0; mvhd is found anywhere in it, its fields only in the first 500.
        {"no mdat in the header", [](SyntheticOptions& o) { o.mdatInHeader = false; }, kZero, kLayout, 0, 0},
        // The size table is not looked for beyond the window; nor the chunk offsets without it.
        {"more than 15000 bytes after the marker", [](SyntheticOptions& o) { o.markerPadding = 15000; }, kLayout,
         kLayout, 0, 1},
        {"no marker, movie box beyond 15000 bytes",
         [](SyntheticOptions& o) { o.marker = false, o.videoBytesPerSample = 4000; }, kLayout, kZero, 0, 1},
        // The video track's tables are taken; its placeholder bytes are not telemetry.
        {"no marker in a small file", [](SyntheticOptions& o) { o.marker = false; }, kLayout, kZero, 5, 0},
        // A sample holding "mvhd" ahead of the real header: the second hit ends the search.
        {"mvhd in a sample", [](SyntheticOptions& o) {
             o.samples.back() = timedTextSample(line("450000") + "mvhd");
             o.videoBytesPerSample = 16;
         }, kLayout, kZero, 5, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SyntheticOptions o = drive(indexedLines(5), 5);
        c.change(o);
        SyntheticLayout l;
        const auto r = scan(o, &l);
        const uint64_t moov = c.moov == kLayout ? l.mdatSize : 0, marker = c.marker == kLayout ? l.markerOffset : 0;
        EXPECT_EQ(std::tuple(r.addrOfmoov, r.addrOfMVHD, r.addrOfAmbarella_EXT, r.num_subtitle, r.isSupportSubtitle),
                  std::tuple(moov, l.mvhdTypeOffset, marker, c.samples, c.supported));
        if (!c.samples) {
            EXPECT_EQ(r.addrOfSTSZ + r.addrOfSTCO, 0u);
            EXPECT_TRUE(!r.array_SubtileInfo || r.array_SubtileInfo->empty());
        }
    }
}

// The size table of a long recording pushes the chunk-offset table out of the 15000
// bytes after the marker; the search goes on to the end of the movie box. What the
// record keeps stays small: it is held while the window is open.
TEST_F(ExtractTest, LongRecordingsKeepTheirTelemetryInFewBytesPerSample) {
    const auto heap = [] { return int64_t(mallinfo2().uordblks + mallinfo2().hblkhd); };
    for (const int hours : {1, 10}) {
        SCOPED_TRACE(std::to_string(hours) + " h");
        const auto lines = indexedLines(hours * 3600);
        SyntheticOptions o = drive(lines, uint32_t(hours) * 3600);
        o.videoBytesPerSample = 8;
        const std::string path = (dir / "LONG.MP4").string();
        const SyntheticLayout layout = testgen::writeSynthetic(path, o);
        const int64_t before = heap();
        const auto r = scan(path);
        if (before) {  // else this allocator gives no heap figures
            EXPECT_LT((heap() - before) / int64_t(lines.size()), 400);
        }
        ASSERT_EQ(r.isSupportSubtitle, 1);
        ASSERT_EQ(r.array_SubtileInfo->size(), lines.size());
        EXPECT_EQ(std::tuple(r.addrOfSTCO, r.array_subtitle_final->back(), r.End_Lat,
                             r.array_addrOfSubtitle->value(lines.size() - 1)),
                  std::tuple(layout.stcoEntriesOffset, timedTextSample(lines.back()),
                             std::to_string(450000 + lines.size() - 1), layout.sampleOffsets.back()));
    }
    // A movie box that ends before the table: not looked for beyond it.
    SyntheticLayout layout;
    std::vector<uint8_t> bytes = testgen::buildSynthetic(drive(indexedLines(4000), 4000), &layout);
    const uint32_t shortened = uint32_t(layout.stcoEntriesOffset - 12 - layout.moovOffset);
    for (int i = 0; i < 4; ++i) bytes[layout.moovOffset + size_t(i)] = uint8_t(shortened >> (24 - 8 * i));
    testgen::writeFileAtomically((dir / "SHORT_MOOV.MP4").string(), bytes);
    const auto cut = scan((dir / "SHORT_MOOV.MP4").string());
    EXPECT_EQ(std::tuple(cut.isSupportSubtitle, cut.addrOfSTCO, cut.array_lengthOfSubtitle->size()),
              std::tuple(0, 0u, 4000u));
}

TEST_F(ExtractTest, FailuresKeepWhatWasSetBefore) {
    {  // the fourth sample has too few components
        auto lines = indexedLines(6);
        lines[3] = "$1$2$3";
        const auto r = scan(drive(lines, 6));
        EXPECT_EQ(std::tuple(r.isSupportSubtitle, r.array_subtitle_final->size(), r.array_SubtileInfo->size(),
                             r.array_lengthOfSubtitle->size(), r.Start_Lat, r.End_Lat, r.fileDateYMD),
                  std::tuple(0, 4u, 3u, 6u, Text("450000"), std::nullopt, "2016/05/12"));
    }
    {  // a byte that is not UTF-8, even ahead of the first "$"; a zero byte is fine
        SyntheticOptions o = drive(indexedLines(4), 4);
        o.samples[1] = std::string("\x00\x40", 2) + line("450001");
        o.samples[2] = std::string("\x00\x80", 2) + line("450002");
        const auto r = scan(o);
        EXPECT_EQ(std::tuple(r.isSupportSubtitle, r.array_subtitle_final->size()), std::tuple(0, size_t(2)));
    }
    {  // a sample that reaches beyond the end of the file
        SyntheticOptions o = drive(indexedLines(4), 4);
        SyntheticLayout layout;
        testgen::buildSynthetic(o, &layout);
        o.sizeOverrides = {{2, uint32_t(layout.fileSize)}};
        const auto r = scan(o);
        EXPECT_EQ(std::tuple(r.isSupportSubtitle, r.array_subtitle_final->size(), (*r.array_lengthOfSubtitle)[2]),
                  std::tuple(0, size_t(2), std::to_string(layout.fileSize)));
    }
}

TEST_F(ExtractTest, TablesReachingTheEndOfTheFile) {
    // The chunk-offset window is what follows its start less 10 bytes: a table of
    // two entries that ends the file leaves it no length, and the scan fails.
    for (const int n : {2, 3}) {
        SyntheticOptions o = drive(indexedLines(n), uint32_t(n));
        o.trailer = 0;
        EXPECT_EQ(scan(o).isSupportSubtitle, n - 2) << n;
    }
    // Cut 5 bytes into the chunk-offset table: its window has no usable length.
    SyntheticOptions o = drive(indexedLines(4), 4);
    SyntheticLayout layout;
    testgen::buildSynthetic(o, &layout);
    o.truncateAt = layout.stcoEntriesOffset + 5;
    auto r = scan(o);
    EXPECT_EQ(std::tuple(r.isSupportSubtitle, r.num_subtitle, r.array_lengthOfSubtitle->size(),
                         r.array_addrOfSubtitle->empty()),
              std::tuple(0, 4u, 4u, true));

    // A count far past the real table: the entries up to the end of the file are read, then the scan fails.
    o = drive(indexedLines(4), 4);
    o.stszCount = 100000;
    r = scan(o, &layout);
    EXPECT_EQ(std::tuple(r.isSupportSubtitle, r.num_subtitle, r.array_lengthOfSubtitle->size(),
                         r.array_addrOfSubtitle->empty()),
              std::tuple(0, 100000u, (layout.fileSize - layout.stszCountOffset - 4) / 4, true));

    // A count no real recording reaches is refused before anything is read.
    o.stszCount = kMaxSamples + 1;
    r = scan(o);
    EXPECT_EQ(std::tuple(r.isSupportSubtitle, r.array_lengthOfSubtitle->empty()), std::tuple(0, true));
}

TEST_F(ExtractTest, UnreadablePathsEndQuietlyWithTheirNames) {
    std::ofstream(dir / "tiny.part.MP4") << "short";  // shorter than the 80-byte header
    const auto tiny = scan((dir / "tiny.part.MP4").string());
    EXPECT_EQ(std::tuple(tiny.filename, tiny.fileDateYMD, tiny.fileSize, tiny.isSupportSubtitle,
                         tiny.array_lengthOfSubtitle.has_value()),
              std::tuple("tiny.part.MP4", todayText(), 5u, 0, false));

    std::vector<std::string> logged;
    setLogSink([&](std::string_view l) { logged.emplace_back(l); });
    struct Case {
        const char *path, *name, *stem;
    };
    for (const Case c : {Case{"/media/sd/REC_0001.MP4", "REC_0001.MP4", "REC_0001"},
                         Case{"/media/sd/._REC_0001.MP4", "._REC_0001.MP4", ""},
                         Case{"/media/sd/noext", "noext", "noext"},
                         Case{"relative.name.MP4", "relative.name.MP4", "relative"}, Case{"/media/sd/", "", ""}}) {
        const auto r = scan(c.path);
        EXPECT_EQ(std::tuple(r.filename, r.filenameWithoutExtension, r.isSupportSubtitle, r.fileSize,
                             r.fileDateYMD, r.fileDate.has_value()),
                  std::tuple(c.name, c.stem, 0, 0u, todayText(), false));
    }
    setLogSink({});
    EXPECT_EQ(logged, std::vector<std::string>(5, "Couldn't get file attributes!"));

    const std::string fifo = (dir / "pipe.MP4").string(), empty = (dir / "empty.MP4").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream{empty};
    // A folder, a pipe (returns at once instead of waiting for a writer), an empty file.
    for (const std::string& path : {dir.string(), fifo, empty}) EXPECT_EQ(scan(path).isSupportSubtitle, 0) << path;
}

// Reading only the ranges looked at gives what the whole-file read gives, on good
// and on damaged files alike.
TEST_F(ExtractTest, RangeReadsEqualWholeFileReadOnDamagedFiles) {
    SyntheticOptions base = drive(testgen::simulateDrive({.seconds = 40}), 40);
    base.videoBytesPerSample = 64;
    const std::vector<uint8_t> good = testgen::buildSynthetic(base);
    std::mt19937 rng(20261206);
    const std::string path = (dir / "mutant.MP4").string();
    int completed = 0;
    for (int round = 0; round < 400; ++round) {
        std::vector<uint8_t> bytes = good;
        const int flips = 1 + int(rng() % 8);
        for (int f = 0; f < flips; ++f) bytes[rng() % bytes.size()] = uint8_t(rng());
        if (round % 4 == 0) bytes.resize(rng() % bytes.size());
        testgen::writeFileAtomically(path, bytes);
        Class_Video_Info ranges, whole;
        Extract_Subtitle().ExtractSubtitle(ranges, path);
        Extract_Subtitle([](const std::string& p) { return std::make_unique<WholeFile>(p); })
            .ExtractSubtitle(whole, path);
        ASSERT_EQ(ranges, whole) << "round " << round;
        completed += ranges.isSupportSubtitle;
    }
    EXPECT_GT(completed, 0);  // some mutants still scan through, so both paths were exercised
}
