#include "TelemetryTrack.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <system_error>

namespace mp4 {
namespace {

constexpr char kMarker[] = "Ambarella EXT";
constexpr uint32_t kRateOne = 0x00010000;
// The scan takes the movie's length from before the first 00 01 00 00 it meets in
// the first 500 bytes of its movie window, meant to be the movie header's rate.
constexpr size_t kRateSearch = 500;
// A version-0 movie header's fields, as offsets into its payload.
constexpr size_t kTimesAt = 4, kTimescaleAt = 12, kDurationAt = 16, kRateAt = 20, kNextTrackAt = 96;
constexpr uint32_t kTicksPerSample = 1000;

class Payload {
public:
    std::vector<uint8_t> bytes;
    Payload& u8(uint8_t v) { return bytes.push_back(v), *this; }
    Payload& u16(uint16_t v) { return u8(uint8_t(v >> 8)).u8(uint8_t(v)); }
    Payload& u32(uint32_t v) { return putBE32(bytes, v), *this; }
    Payload& zeros(size_t n) { return bytes.insert(bytes.end(), n, 0), *this; }
    Payload& text(std::string_view s) { return bytes.insert(bytes.end(), s.begin(), s.end()), *this; }
    Payload& box(const Box& b) { return b.appendTo(bytes), *this; }
    Payload& words(const std::vector<uint32_t>& values) {
        for (uint32_t v : values) u32(v);
        return *this;
    }
    Payload& unityMatrix() { return words({0x00010000, 0, 0, 0, 0x00010000, 0, 0, 0, 0x40000000}); }
};

Box leaf(const char* type, const Payload& p) { return Box{type, false, p.bytes, {}}; }
Box container(const char* type, std::vector<Box> children) { return Box{type, true, {}, std::move(children)}; }

// One sample per chunk, as the camera writes them and the scan reads them.
Box telemetryTrack(uint32_t trackId, uint32_t movieDuration, uint32_t perSecond, const std::vector<uint32_t>& sizes,
                   const std::vector<uint32_t>& offsets) {
    const uint32_t n = uint32_t(sizes.size());
    Payload tkhd;
    // In the movie but not enabled: players would print the raw telemetry over the picture.
    tkhd.u32(0x00000002).u32(0).u32(0).u32(trackId).u32(0).u32(movieDuration).zeros(16).unityMatrix().u32(0).u32(0);
    Payload mdhd, hdlr, nmhd, dref, stsd, stts, stsc, stsz, stco;
    mdhd.u32(0).u32(0).u32(0).u32(perSecond * kTicksPerSample).u32(n * kTicksPerSample).u16(0x55C4).u16(0);
    hdlr.u32(0).u32(0).text("sbtl").zeros(12).u8(0);
    nmhd.u32(0);
    dref.u32(0).u32(1).u32(12).text("url ").u32(1);  // the media data is in this file
    stsd.u32(0).u32(1).box(timedTextSampleEntry());
    stts.u32(0).u32(1).u32(n).u32(kTicksPerSample);
    stsc.u32(0).u32(1).u32(1).u32(1).u32(1);
    stsz.u32(0).u32(0).u32(n).words(sizes);
    stco.u32(0).u32(n).words(offsets);
    return container(
        "trak",
        {leaf("tkhd", tkhd),
         container("mdia", {leaf("mdhd", mdhd), leaf("hdlr", hdlr),
                            container("minf", {leaf("nmhd", nmhd), container("dinf", {leaf("dref", dref)}),
                                               container("stbl", {leaf("stsd", stsd), leaf("stts", stts), leaf("stsc", stsc),
                                                                  leaf("stsz", stsz), leaf("stco", stco)})})})});
}

std::vector<uint8_t>& movieHeader(Box& moov) {
    Box& mvhd = moov.get("mvhd");
    if (mvhd.payload.size() < kNextTrackAt + 4 || mvhd.payload[0] != 0)
        throw std::runtime_error("the movie header is not one of version 0");
    return mvhd.payload;
}

// Where the movie header's rate lies in the movie box as appendTo writes it.
uint64_t rateOffset(const Box& moov) {
    uint64_t at = 8;
    for (const Box& child : moov.children) {
        if (child.type == "mvhd") return at + 8 + kRateAt;
        at += child.size();
    }
    throw std::runtime_error("the movie box has no movie header");
}

std::optional<size_t> rateFoundAt(const std::vector<uint8_t>& window) {
    for (size_t r = 8; r < kRateSearch && r + 4 <= window.size(); ++r)
        if (readBE32(window, r) == kRateOne) return r;
    return std::nullopt;
}

class File {
public:
    File(const std::string& path, int flags) : path_(path), fd_(::open(path.c_str(), flags | O_CLOEXEC)) {
        if (fd_ < 0) fail();
    }
    ~File() {
        if (fd_ >= 0) ::close(fd_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    uint64_t size() const {
        struct stat st {};
        if (::fstat(fd_, &st) != 0) fail();
        return uint64_t(st.st_size);
    }
    void read(uint64_t at, uint8_t* out, size_t n) const {
        while (n > 0) {
            const ssize_t got = ::pread(fd_, out, n, off_t(at));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) fail();
            if (got == 0) throw std::runtime_error(path_ + ": ends early");
            out += got, at += uint64_t(got), n -= size_t(got);
        }
    }
    void write(uint64_t at, const uint8_t* in, size_t n) {
        while (n > 0) {
            const ssize_t put = ::pwrite(fd_, in, n, off_t(at));
            if (put < 0 && errno == EINTR) continue;
            if (put < 0) fail();
            in += put, at += uint64_t(put), n -= size_t(put);
        }
    }
    void truncate(uint64_t length) {
        if (::ftruncate(fd_, off_t(length)) != 0) fail();
    }
    // Some file systems report a failed write only here.
    void close() {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) fail();
    }

private:
    [[noreturn]] void fail() const { throw std::system_error(errno, std::generic_category(), path_); }
    std::string path_;
    int fd_;
};

std::vector<BoxSpan> topLevelBoxes(const File& file) {
    const uint64_t end = file.size();
    std::vector<BoxSpan> boxes;
    for (uint64_t at = 0; at < end;) {
        std::vector<uint8_t> header(size_t(std::min<uint64_t>(16, end - at)));
        if (header.size() < 8) throw std::runtime_error("truncated box header at offset " + std::to_string(at));
        file.read(at, header.data(), header.size());
        BoxSpan box{std::string(reinterpret_cast<const char*>(header.data() + 4), 4), at, readBE32(header, 0), 8};
        if (box.size == 1) {
            if (header.size() < 16) throw std::runtime_error("truncated box header at offset " + std::to_string(at));
            box.size = uint64_t(readBE32(header, 8)) << 32 | readBE32(header, 12);
            box.header = 16;
        } else if (box.size == 0) {
            box.size = end - at;
        }
        if (box.size < box.header || box.size > end - at)
            throw std::runtime_error("box '" + box.type + "' at offset " + std::to_string(at) + " has a bad size");
        at += box.size;
        boxes.push_back(std::move(box));
    }
    return boxes;
}

}  // namespace

Box vendorMarker() {
    Payload p;
    p.text(kMarker).zeros(3);
    return leaf("free", p);  // players skip it
}

Box timedTextSampleEntry() {
    Payload ftab, tx3g;
    ftab.u16(1).u16(1).u8(5).text("Serif");
    tx3g.zeros(6).u16(1);                        // data reference 1
    tx3g.u32(0).u8(1).u8(0xFF).u32(0).zeros(8);  // display flags, justification, background, text box
    tx3g.u16(0).u16(0).u16(1).u8(0).u8(18).u32(0xFFFFFFFF);  // style: font 1, 18 px, white
    tx3g.box(leaf("ftab", ftab));
    return leaf("tx3g", tx3g);
}

MovieFile::MovieFile(std::string path) : path_(std::move(path)) {
    const File file(path_, O_RDONLY);
    const std::vector<BoxSpan> top = topLevelBoxes(file);
    // The scan takes the movie box's place from the size of the media data box, which
    // it finds in the first 80 bytes; with the movie box last, what is added goes
    // where it was and no chunk of the media moves.
    if (top.size() < 2 || top.back().type != "moov" || top[top.size() - 2].type != "mdat")
        throw std::runtime_error("the movie box does not follow the media data at the end of the file");
    mdat_ = top[top.size() - 2];
    moov_ = top.back();
    if (mdat_.header != 8) throw std::runtime_error("the media data is larger than the camera's form allows (4 GiB)");
    if (mdat_.offset + 8 > 80) throw std::runtime_error("the media data box does not begin in the first 80 bytes");
    std::vector<uint8_t> bytes(size_t(moov_.size));
    file.read(moov_.offset, bytes.data(), bytes.size());
    movie_ = parseBox(bytes, {moov_.type, 0, moov_.size, moov_.header});
    const std::vector<uint8_t>& header = movieHeader(movie_);
    if (readBE32(header, kTimescaleAt) == 0) throw std::runtime_error("the movie's time scale is 0");
    seconds_ = readBE32(header, kDurationAt) / readBE32(header, kTimescaleAt);
}

void MovieFile::addTelemetryTrack(const std::vector<std::string>& samples, uint32_t perSecond) {
    if (samples.empty() || perSecond == 0 || samples.size() % perSecond != 0 ||
        samples.size() > UINT32_MAX / kTicksPerSample || perSecond > UINT32_MAX / kTicksPerSample)
        throw std::invalid_argument("telemetry samples must fill whole seconds");
    Box moov = movie_;
    std::vector<uint8_t>& header = movieHeader(moov);
    const uint32_t trackId = readBE32(header, kNextTrackAt);
    if (trackId == 0 || trackId == UINT32_MAX) throw std::runtime_error("the movie has no free track number");
    setBE32(header, kNextTrackAt, trackId + 1);

    // The samples take the movie box's place at the end of the media data, followed by
    // zero filler as long as what precedes the media data: the scan's movie window,
    // which starts that far before the movie box, then starts on the filler.
    const uint64_t filler = mdat_.offset;
    std::vector<uint32_t> sizes, offsets;
    std::vector<uint8_t> added;
    for (const std::string& s : samples) {
        const uint64_t at = moov_.offset + added.size();
        if (at + s.size() + filler - mdat_.offset > UINT32_MAX)
            throw std::runtime_error("the media data is larger than the camera's form allows (4 GiB)");
        offsets.push_back(uint32_t(at));
        sizes.push_back(uint32_t(s.size()));
        added.insert(added.end(), s.begin(), s.end());
    }
    const uint64_t movieAt = moov_.offset + added.size() + filler;
    const uint64_t movieDuration = uint64_t(samples.size() / perSecond) * readBE32(header, kTimescaleAt);
    if (movieDuration > UINT32_MAX) throw std::runtime_error("the telemetry track is too long for its header");

    // Ahead of the other tracks, so that however long their tables grow the marker
    // stays in the part of the movie box the scan searches.
    auto mvhd = moov.children.begin();
    while (mvhd->type != "mvhd") ++mvhd;
    moov.children.insert(mvhd + 1, {vendorMarker(), telemetryTrack(trackId, uint32_t(movieDuration), perSecond, sizes, offsets)});

    // Other bytes before the rate may read 00 01 00 00 by chance: the creation and
    // modification times, or the movie box's size.
    std::vector<uint8_t> window;
    for (int fix = 0;; ++fix) {
        window.assign(filler, 0);
        moov.appendTo(window);
        if (rateFoundAt(window) == filler + rateOffset(moov)) break;
        if (fix == 0) {
            std::fill_n(movieHeader(moov).begin() + kTimesAt, 8, 0);
        } else if (fix == 1) {
            moov.children.push_back(leaf("free", {}));
        } else {
            throw std::runtime_error("the scan would not find the movie header's rate");
        }
    }

    added.insert(added.end(), window.begin(), window.end());
    File file(path_, O_WRONLY);
    file.write(moov_.offset, added.data(), added.size());
    file.truncate(moov_.offset + added.size());
    std::vector<uint8_t> mdatSize;
    putBE32(mdatSize, uint32_t(movieAt - mdat_.offset));
    file.write(mdat_.offset, mdatSize.data(), mdatSize.size());
    file.close();

    mdat_.size = movieAt - mdat_.offset;
    moov_ = {"moov", movieAt, moov.size(), 8};
    movie_ = std::move(moov);
}

}  // namespace mp4
