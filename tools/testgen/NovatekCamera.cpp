#include "NovatekCamera.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "Files.h"
#include "MovieEdit.h"

namespace testgen {
namespace {

constexpr uint32_t kRecordBytes = 92, kPreciseBytes = 0xa8, kAlignment = 0x8000;

void putLE32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + size_t(i)] = char(v >> (8 * i));
}

// Degrees as the receiver's DDMM.MMMM reading.
double ddmm(double degrees) {
    const double whole = std::floor(std::abs(degrees));
    return whole * 100 + (std::abs(degrees) - whole) * 60;
}

// Moves the index right after the tracks, as the cameras place it: before the user
// data, whose metadata handler would otherwise hide the index from tools that take
// it as the camera's only outside a track (exiftool does).
std::vector<uint8_t> indexAfterTracks(std::vector<uint8_t> file) {
    const std::vector<mp4::BoxSpan> top = mp4::listBoxes(file, 0, file.size());
    const mp4::BoxSpan& moov = top.back();
    if (moov.type != "moov") throw std::runtime_error("the movie box is not at the end of the file");
    const uint64_t begin = moov.offset + moov.header, end = moov.offset + moov.size;
    std::vector<mp4::BoxSpan> children = mp4::listBoxes(file, begin, end);
    const auto index = std::ranges::find(children, "gps ", &mp4::BoxSpan::type);
    const auto lastTrack = std::ranges::find(children.rbegin(), children.rend(), "trak", &mp4::BoxSpan::type);
    if (index == children.end() || lastTrack == children.rend()) return file;
    const mp4::BoxSpan moved = *index;
    children.erase(index);
    children.insert(lastTrack.base(), moved);
    std::vector<uint8_t> payload;
    for (const mp4::BoxSpan& c : children)
        payload.insert(payload.end(), file.begin() + ptrdiff_t(c.offset), file.begin() + ptrdiff_t(c.offset + c.size));
    std::copy(payload.begin(), payload.end(), file.begin() + ptrdiff_t(begin));
    return file;
}

}  // namespace

std::string novatekBlock(const DrivePoint& p, uint32_t blockBytes, std::optional<double> altitudeMetres) {
    if (blockBytes < (altitudeMetres ? kPreciseBytes : kRecordBytes))
        throw std::invalid_argument("a freeGPS block needs 92 bytes, 168 with the doubles");
    std::string b(blockBytes, '\0');
    for (int i = 0; i < 4; ++i) b[size_t(i)] = char(blockBytes >> (24 - 8 * i));  // the size, big-endian
    b.replace(4, 8, "freeGPS ");
    putLE32(b, 12, 0x4c);  // as the cameras fill it
    const CivilTime t = civilTime(p.unixSeconds);
    const int fields[] = {t.hour, t.minute, t.second, t.year - 2000, t.month, t.day};
    for (size_t i = 0; i < 6; ++i) putLE32(b, 48 + 4 * i, uint32_t(fields[i]));
    b[72] = p.fix ? 'A' : 'V';
    b[73] = p.lat < 0 ? 'S' : 'N';
    b[74] = p.lon < 0 ? 'W' : 'E';
    if (!p.fix) return b;
    putLE32(b, 76, std::bit_cast<uint32_t>(float(ddmm(p.lat))));
    putLE32(b, 80, std::bit_cast<uint32_t>(float(ddmm(p.lon))));
    putLE32(b, 84, std::bit_cast<uint32_t>(float(p.speedKmh / 1.852)));
    putLE32(b, 88, std::bit_cast<uint32_t>(float(p.headingDegrees)));
    if (!altitudeMetres) return b;
    const auto putDouble = [&b](size_t at, double v) {
        const auto bits = std::bit_cast<uint64_t>(v);
        putLE32(b, at, uint32_t(bits));
        putLE32(b, at + 4, uint32_t(bits >> 32));
    };
    putDouble(0x70, ddmm(p.lat));
    putDouble(0x80, ddmm(p.lon));
    putDouble(0xa0, *altitudeMetres);
    return b;
}

void writeNovatek(const std::string& path, const std::vector<DrivePoint>& points, const NovatekOptions& o) {
    if (points.empty()) throw std::invalid_argument("a Novatek recording needs at least one second of drive");
    TempDir work(std::filesystem::temp_directory_path() / "dashcam-testgen-XXXXXX");
    const std::string video = (work.path() / "novatek.mp4").string();
    BareVideo bare = o.video;
    bare.seconds = int(points.size());
    encodeBareVideo(video, bare);

    mp4::MovieEdit edit(video);
    // The first block on a 32 KiB boundary of the file, as the cameras place them.
    const uint64_t end = edit.appendMedia({});
    edit.appendMedia(std::string(size_t((kAlignment - end % kAlignment) % kAlignment), '\0'));
    std::vector<uint32_t> index;
    for (size_t k = 0; k < points.size(); ++k) {
        std::string block = novatekBlock(points[k], o.blockBytes, o.altitudeMetres);
        if (int(k) == o.truncatedBlock) block.resize(64);
        const uint64_t at = edit.appendMedia(block);
        index.push_back(uint32_t(at));
        index.push_back(uint32_t(block.size()));
    }
    if (o.indexPastEnd) index[index.size() - 2] = UINT32_MAX - o.blockBytes;
    if (o.index) {
        const uint32_t count = uint32_t(points.size()) + (o.countTooLarge ? 1000 : 0);
        edit.addToMovie(mp4::leaf("gps ", mp4::Payload().u32(0).u32(count).words(index)));
    }
    edit.write();
    writeFileAtomically(path, indexAfterTracks(readFile(video)));
}

}  // namespace testgen
