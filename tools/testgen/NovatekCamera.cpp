#include "NovatekCamera.h"

#include <bit>
#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "Files.h"
#include "MovieEdit.h"

namespace testgen {
namespace {

constexpr uint32_t kRecordBytes = 92, kAlignment = 0x8000;

void putLE32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + size_t(i)] = char(v >> (8 * i));
}

// Degrees as the receiver's DDMM.MMMM reading.
float ddmm(double degrees) {
    const double whole = std::floor(std::abs(degrees));
    return float(whole * 100 + (std::abs(degrees) - whole) * 60);
}

}  // namespace

std::string novatekBlock(const DrivePoint& p, uint32_t blockBytes) {
    if (blockBytes < kRecordBytes) throw std::invalid_argument("a freeGPS block needs at least 92 bytes");
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
    putLE32(b, 76, std::bit_cast<uint32_t>(ddmm(p.lat)));
    putLE32(b, 80, std::bit_cast<uint32_t>(ddmm(p.lon)));
    putLE32(b, 84, std::bit_cast<uint32_t>(float(p.speedKmh / 1.852)));
    putLE32(b, 88, std::bit_cast<uint32_t>(float(p.headingDegrees)));
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
        std::string block = novatekBlock(points[k], o.blockBytes);
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
    writeFileAtomically(path, readFile(video));
}

}  // namespace testgen
