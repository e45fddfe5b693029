#include "Extract_Subtitle.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "Log.h"
#include "TextValues.h"

namespace telemetry {
namespace {

struct ScanFailure {};  // a read outside the file, or a table the scan refuses

constexpr uint32_t kHeaderWindow = 80;
constexpr uint32_t kMovieWindow = 400000;
constexpr uint32_t kTableWindow = 15000;
constexpr uint32_t kMovieHeaderSearch = 500;
// How far past the marker the chunk-offset table is looked for at most, whatever
// size a damaged movie box claims: a ten-hour recording's tables take a few MiB.
constexpr uint64_t kMaxTableSearch = 64ull << 20;

uint32_t be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

bool bytesAt(const std::vector<uint8_t>& w, size_t pos, const char* pattern) {
    return std::memcmp(w.data() + pos, pattern, 4) == 0;
}

std::vector<uint8_t> readRange(const FileBytes& file, uint64_t offset, uint64_t length) {
    if (!file.contains(offset, length)) throw ScanFailure{};
    std::vector<uint8_t> out(length);
    if (!file.read(offset, length, out.data())) throw ScanFailure{};
    return out;
}

// Length M when more than M bytes follow the start (without sign, so a start past
// the end also gives M, whose read then fails); otherwise what follows less 10.
std::vector<uint8_t> readWindow(const FileBytes& file, uint64_t start, uint32_t maxLength) {
    const uint64_t following = file.size() - start;
    int64_t length = maxLength;
    if (following <= maxLength) length = int64_t(following) - 10;
    if (length < 0) throw ScanFailure{};
    return readRange(file, start, uint64_t(length));
}

// Reads count BE32 entries from the file at offset into the list. An entry beyond
// the end of the file fails the scan after the entries before it.
void readTable(const FileBytes& file, uint64_t offset, uint32_t count, DecimalList& list) {
    const uint64_t available = offset <= file.size() ? (file.size() - offset) / 4 : 0;
    const uint64_t readable = std::min<uint64_t>(count, available);
    if (readable == 0) {
        if (count > 0) throw ScanFailure{};
        return;
    }
    const std::vector<uint8_t> bytes = readRange(file, offset, readable * 4);
    for (size_t k = 0; k < readable; ++k) list.push_back(be32(bytes.data() + 4 * k));
    if (readable < count) throw ScanFailure{};
}

// The first offset in [begin, end) at which the four bytes of pattern lie wholly
// inside the range, read piece by piece.
std::optional<uint64_t> findInFile(const FileBytes& file, uint64_t begin, uint64_t end, const char* pattern) {
    constexpr uint64_t kPiece = 1 << 20;
    end = std::min(end, file.size());
    for (uint64_t at = begin; at + 4 <= end; at += kPiece - 3) {
        const std::vector<uint8_t> piece = readRange(file, at, std::min(kPiece, end - at));
        for (size_t i = 0; i + 4 <= piece.size(); ++i)
            if (bytesAt(piece, i, pattern)) return at + i;
    }
    return std::nullopt;
}

std::string localDateText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d", &local);
    return text;
}

std::string coordinateText(const Class_Subtitle_Info& s) {
    std::string text;
    for (const SampleText* part : {&s.lat, &s.lon, &s.NS, &s.WE}) (text += part->view()) += ',';
    text.pop_back();
    return text;
}

uint32_t southFlag(const Class_Subtitle_Info& s) { return s.NS == "S" ? 1 : 0; }
uint32_t westFlag(const Class_Subtitle_Info& s) { return s.WE == "W" ? 1 : 0; }

}  // namespace

bool isValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        const uint8_t c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t extra;
        uint8_t lo = 0x80, hi = 0xBF;  // allowed range of the first continuation byte
        if (c >= 0xC2 && c <= 0xDF) extra = 1;
        else if (c == 0xE0) extra = 2, lo = 0xA0;
        else if (c == 0xED) extra = 2, hi = 0x9F;
        else if (c >= 0xE1 && c <= 0xEF) extra = 2;
        else if (c == 0xF0) extra = 3, lo = 0x90;
        else if (c == 0xF4) extra = 3, hi = 0x8F;
        else if (c >= 0xF1 && c <= 0xF3) extra = 3;
        else return false;
        if (n - i - 1 < extra) return false;
        if (p[i + 1] < lo || p[i + 1] > hi) return false;
        for (size_t k = 2; k <= extra; ++k)
            if ((p[i + k] & 0xC0) != 0x80) return false;
        i += extra + 1;
    }
    return true;
}

Extract_Subtitle::Extract_Subtitle()
    : loader_([](const std::string& path) { return std::make_unique<RandomAccessFile>(path); }) {}

Extract_Subtitle::Extract_Subtitle(Loader loader) : loader_(std::move(loader)) {}

int32_t Extract_Subtitle::ExtractSubtitle(Class_Video_Info& record, const std::string& path) noexcept {
    try {
        scan(record, path);
    } catch (...) {
        // Any failure ends the scan; what was set before it stays.
        record.isSupportSubtitle = 0;
    }
    // The lists were sized for the count the file claims; a failed scan fills less.
    if (record.array_SubtileInfo) record.array_SubtileInfo->shrink_to_fit();
    if (record.array_subtitle_final) record.array_subtitle_final->shrink_to_fit();
    if (record.array_coordinate_set) record.array_coordinate_set->shrink_to_fit();
    data.reset();  // close: the record holds copies of everything it keeps
    return record.isSupportSubtitle;
}

void Extract_Subtitle::scan(Class_Video_Info& record, const std::string& path) {
    readFileFacts(record, path);
    if (!readMovieHeader(record)) return;
    readSampleTables(record);
    readSamples(record);
}

void Extract_Subtitle::readFileFacts(Class_Video_Info& record, const std::string& path) {
    record.isSupportSubtitle = 0;
    record.filepath = path;

    const size_t slash = path.rfind('/');
    record.filename = slash == std::string::npos ? path : path.substr(slash + 1);
    record.filenameWithoutExtension = record.filename->substr(0, record.filename->find('.'));

    data = loader_(path);

    struct statx attributes {};
    if (statx(AT_FDCWD, path.c_str(), AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME, &attributes) != 0) {
        logLine("Couldn't get file attributes!");
        record.fileSize = 0;
        record.fileDate.reset();
    } else {
        record.fileSize = uint32_t(attributes.stx_size);
        const statx_timestamp& t = (attributes.stx_mask & STATX_BTIME) ? attributes.stx_btime : attributes.stx_mtime;
        record.fileDate = std::chrono::system_clock::time_point(
            std::chrono::duration_cast<std::chrono::system_clock::duration>(
                std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec)));
    }

    record.fileDateYMD = localDateText();
}

namespace {

// The movie window and what the scan finds in it: the movie box, its header and
// the vendor marker, as offsets in the file (0 when not found).
struct MovieWindow {
    uint32_t start = 0;  // addrOfmoov
    std::vector<uint8_t> bytes;
    uint32_t movieHeaderAt = 0, markerAt = 0;
    std::optional<size_t> movieBoxAt;  // in the window
};

// Header: the media data box's size, used unchanged as the movie box's offset.
uint32_t movieWindowStart(const FileBytes& file) {
    const std::vector<uint8_t> header = readRange(file, 0, kHeaderWindow);
    for (size_t p = 4; p + 4 <= kHeaderWindow; ++p)
        if (bytesAt(header, p, "mdat")) return be32(header.data() + p - 4);
    return 0;
}

MovieWindow readMovieWindow(const FileBytes& file, uint32_t start) {
    MovieWindow w;
    w.start = start;
    // The second hit of either the movie header or the vendor marker ends the search.
    w.bytes = readWindow(file, w.start, kMovieWindow);
    const std::vector<uint8_t>& movie = w.bytes;
    int hits = 0;
    for (size_t i = 0; i + 4 <= movie.size(); ++i) {
        if (!w.movieBoxAt && i >= 4 && bytesAt(movie, i, "moov")) w.movieBoxAt = i - 4;
        if (bytesAt(movie, i, "mvhd")) {
            w.movieHeaderAt = uint32_t(i) + w.start;
            if (hits++) break;
        } else if (i + 13 <= movie.size() && bytesAt(movie, i, "Amba") && bytesAt(movie, i + 9, " EXT")) {
            w.markerAt = uint32_t(i) + w.start;
            if (hits++) break;
        }
    }
    return w;
}

}  // namespace

bool hasVendorMarker(const FileBytes& file) noexcept {
    try {
        return readMovieWindow(file, movieWindowStart(file)).markerAt != 0;
    } catch (...) {
        return false;
    }
}

bool Extract_Subtitle::readMovieHeader(Class_Video_Info& record) {
    const FileBytes& file = *data;
    record.addrOfmoov = movieWindowStart(file);
    const MovieWindow window = readMovieWindow(file, record.addrOfmoov);
    const std::vector<uint8_t>& movie = window.bytes;
    record.addrOfAmbarella_EXT = window.markerAt;
    record.addrOfMVHD = window.movieHeaderAt;
    movieEnd_ = window.movieBoxAt
                    ? uint64_t(record.addrOfmoov) + *window.movieBoxAt + be32(movie.data() + *window.movieBoxAt)
                    : 0;

    // A version-0 movie header's rate 1.0, with duration and time scale before it.
    for (size_t r = 8; r < kMovieHeaderSearch && r + 4 <= movie.size(); ++r) {
        static const uint8_t rateOne[4] = {0x00, 0x01, 0x00, 0x00};
        if (std::memcmp(movie.data() + r, rateOne, 4) == 0) {
            record.duration = be32(movie.data() + r - 4);
            record.timescale = be32(movie.data() + r - 8);
            break;
        }
    }
    if (record.duration == 0) {
        record.isSupportSubtitle = 0;
        return false;
    }
    if (record.timescale == 0) throw ScanFailure{};
    record.duration_second = record.duration / record.timescale;
    return true;
}

void Extract_Subtitle::readSampleTables(Class_Video_Info& record) {
    const FileBytes& file = *data;
    // Vendor window: the telemetry track's sample-size and chunk-offset tables.
    const std::vector<uint8_t> vendor = readWindow(file, record.addrOfAmbarella_EXT, kTableWindow);
    std::optional<uint64_t> sizeEntriesAt;
    for (size_t s = 0; s + 16 <= vendor.size(); ++s) {
        if (bytesAt(vendor, s, "stsz")) {
            record.num_subtitle = be32(vendor.data() + s + 12);
            sizeEntriesAt = uint64_t(record.addrOfAmbarella_EXT) + s + 16;
            record.addrOfSTSZ = record.addrOfAmbarella_EXT + uint32_t(s) + 12;
            break;
        }
    }
    if (!sizeEntriesAt) record.addrOfSTSZ = 0;

    record.array_lengthOfSubtitle.emplace();
    record.array_addrOfSubtitle.emplace();
    record.array_subtitle_final.emplace();
    if (record.num_subtitle > kMaxSamples) throw ScanFailure{};
    record.array_lengthOfSubtitle->reserve(record.num_subtitle);
    record.array_addrOfSubtitle->reserve(record.num_subtitle);

    if (sizeEntriesAt) readTable(file, *sizeEntriesAt, record.num_subtitle, *record.array_lengthOfSubtitle);

    uint32_t offsetEntriesAt = 0;
    for (size_t t = 0; t + 4 <= vendor.size(); ++t) {
        if (bytesAt(vendor, t, "stco")) {
            offsetEntriesAt = record.addrOfAmbarella_EXT + uint32_t(t) + 12;
            break;
        }
    }
    // A long recording's size table pushes the chunk-offset table out of the
    // window: look on through the rest of the movie box. Only after a size table,
    // which says that the track's tables begin in the window.
    if (offsetEntriesAt == 0 && movieEnd_ > 0 && sizeEntriesAt) {
        const uint64_t from = uint64_t(record.addrOfAmbarella_EXT) + std::max<size_t>(vendor.size(), 3) - 3;
        const uint64_t to = std::min({movieEnd_, from + kMaxTableSearch, uint64_t(UINT32_MAX) - 12});
        if (const auto t = findInFile(file, from, to, "stco")) offsetEntriesAt = uint32_t(*t + 12);
    }
    record.addrOfSTCO = offsetEntriesAt;
    readWindow(file, offsetEntriesAt, kTableWindow);  // the window must exist, as it always had to
    readTable(file, offsetEntriesAt, record.num_subtitle, *record.array_addrOfSubtitle);
}

void Extract_Subtitle::readSamples(Class_Video_Info& record) {
    const FileBytes& file = *data;
    const uint32_t count = record.num_subtitle;
    const DecimalList& sizes = *record.array_lengthOfSubtitle;
    const DecimalList& offsets = *record.array_addrOfSubtitle;
    uint64_t allBytes = 0;
    for (uint32_t k = 0; k < count; ++k) allBytes += sizes.value(k);
    record.array_subtitle_final->reserve(count, size_t(std::min({allBytes, kMaxSampleBytes, file.size()})));
    record.array_SubtileInfo.emplace();
    record.array_SubtileInfo->reserve(count);
    record.array_coordinate_set.emplace();
    record.array_coordinate_set->reserve(count / 5);
    SubtitleInfo.emplace();

    std::optional<size_t> latestFix;  // index of the latest sample with a fix
    bool startPending = true;
    uint64_t bytesRead = 0;
    const uint32_t middle = count / 2;

    {
        PrefetchRun prefetch(file, kMaxSampleBytes);
        for (uint32_t k = 0; k < count && prefetch.add(offsets.value(k), sizes.value(k)); ++k) {
        }
    }
    for (uint32_t k = 0; k < count; ++k) {
        bytesRead += sizes.value(k);
        if (bytesRead > kMaxSampleBytes) throw ScanFailure{};
        const std::vector<uint8_t> bytes = readRange(file, offsets.value(k), sizes.value(k));
        const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        if (!isValidUtf8(text)) throw ScanFailure{};
        record.array_subtitle_final->push_back(text);

        Class_Subtitle_Info sample;
        sample.setSubtitleInfo(text);
        record.array_SubtileInfo->push_back(std::move(sample));
        const Class_Subtitle_Info& s = record.array_SubtileInfo->back();

        record.fileDateYMD = s.year.value_or("") + "/" + s.month.value_or("") + "/" + s.day.value_or("");
        const bool fix = hasPositionFix(s);
        if (fix) {
            latestFix = k;
            record.sign_maintain_lat = southFlag(s);
            record.sign_maintain_lon = westFlag(s);
        }
        if (startPending) {
            record.Start_Lat = Text(s.lat);
            record.Start_Lon = Text(s.lon);
            record.sign_start_lat = southFlag(s);
            record.sign_start_lon = westFlag(s);
            if (fix) startPending = false;
        }
        // End and centre: this sample when it has a fix, else the latest fix so far.
        auto place = [&](Text& lat, Text& lon, uint32_t& signLat, uint32_t& signLon) {
            if (fix) {
                lat = Text(s.lat), lon = Text(s.lon);
                signLat = southFlag(s), signLon = westFlag(s);
            } else {
                lat = latestFix ? Text((*record.array_SubtileInfo)[*latestFix].lat) : Text();
                lon = latestFix ? Text((*record.array_SubtileInfo)[*latestFix].lon) : Text();
                signLat = record.sign_maintain_lat, signLon = record.sign_maintain_lon;
            }
        };
        if (k == count - 1) {
            place(record.End_Lat, record.End_Lon, record.sign_end_lat, record.sign_end_lon);
            if (fix) record.array_coordinate_set->push_back(coordinateText(s));
        }
        if (k == middle) place(record.Center_Lat, record.Center_Lon, record.sign_center_lat, record.sign_center_lon);
        if (k % 5 == 0 && fix) record.array_coordinate_set->push_back(coordinateText(s));
    }

    if (record.duration_second > 0) {
        uint32_t g = record.num_subtitle;
        g += (record.duration_second - g % record.duration_second) % record.duration_second;
        record.gapSubtitlePerSecond = g / record.duration_second;
        record.lastPosition = g - record.num_subtitle + 2;
        record.isSupportSubtitle = 1;
    } else {
        record.isSupportSubtitle = 0;
    }
}

}  // namespace telemetry
