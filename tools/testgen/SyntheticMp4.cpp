#include "SyntheticMp4.h"

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "TelemetryTrack.h"

namespace testgen {
namespace {

// Big-endian box writer over a growing buffer.
class Bytes {
public:
    std::vector<uint8_t> data;
    void u8(uint8_t v) { data.push_back(v); }
    void u16(uint16_t v) { u8(uint8_t(v >> 8)), u8(uint8_t(v)); }
    void u32(uint32_t v) { u16(uint16_t(v >> 16)), u16(uint16_t(v)); }
    void u64(uint64_t v) { u32(uint32_t(v >> 32)), u32(uint32_t(v)); }
    void text(const std::string& s) { data.insert(data.end(), s.begin(), s.end()); }
    void fill(size_t n, uint8_t v) { data.insert(data.end(), n, v); }
    size_t size() const { return data.size(); }
    size_t begin(const char* type) {
        const size_t at = size();
        u32(0);
        text(std::string(type, 4));
        return at;
    }
    void end(size_t at) { put32(at, uint32_t(size() - at)); }
    void put32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) data[at + i] = uint8_t(v >> (24 - 8 * i));
    }
};

void fullBoxHeader(Bytes& b) { b.u32(0); }  // version 0, flags 0

// --- A real H.264 stream, so that players and tag readers accept the video track

constexpr int kWidth = 320, kHeight = 240;

// An RBSP written bit by bit, with exp-Golomb codes.
class Bits {
public:
    void bit(int b) {
        if (used_ % 8 == 0) out_.push_back(0);
        if (b) out_.back() |= uint8_t(0x80 >> (used_ % 8));
        ++used_;
    }
    void bits(uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) bit(int(value >> i & 1));
    }
    void ue(uint32_t value) {
        int width = 0;
        for (uint32_t v = value + 1; v; v >>= 1) ++width;
        bits(0, width - 1);
        bits(value + 1, width);
    }
    // The NAL unit: header byte, the bits with their trailing bits, and emulation
    // prevention so that no start code appears inside.
    std::vector<uint8_t> nal(uint8_t header) {
        bit(1);
        while (used_ % 8) bit(0);
        std::vector<uint8_t> out{header};
        int zeros = 0;
        for (uint8_t byte : out_) {
            if (zeros >= 2 && byte <= 3) out.push_back(3), zeros = 0;
            out.push_back(byte);
            zeros = byte == 0 ? zeros + 1 : 0;
        }
        return out;
    }

private:
    std::vector<uint8_t> out_;
    int used_ = 0;
};

// Baseline profile, level 2.1, frame size kWidth x kHeight, no VUI.
std::vector<uint8_t> sequenceParameterSet() {
    Bits b;
    b.bits(66, 8), b.bits(0xC0, 8), b.bits(21, 8);  // profile, constraint sets 0 and 1, level
    b.ue(0), b.ue(0), b.ue(2), b.ue(1), b.bit(0);   // id, frame_num bits - 4, POC type, refs, no gaps
    b.ue(kWidth / 16 - 1), b.ue(kHeight / 16 - 1);
    b.bit(1), b.bit(1), b.bit(0), b.bit(0);  // frames only, direct 8x8, no cropping, no VUI
    return b.nal(0x67);
}

std::vector<uint8_t> pictureParameterSet() {
    Bits b;
    b.ue(0), b.ue(0), b.bit(0), b.bit(0), b.ue(0), b.ue(0), b.ue(0), b.bit(0), b.bits(0, 2);
    b.ue(0), b.ue(0), b.ue(0);  // QP and chroma offsets 0 (se(0) is ue(0))
    b.bit(1), b.bit(0), b.bit(0);  // deblocking control present
    return b.nal(0x68);
}

// A mid-grey IDR frame: every macroblock intra 16x16 with DC prediction and no
// residual, deblocking off. Decoders show it without a complaint.
std::vector<uint8_t> greyFrame() {
    Bits b;
    b.ue(0), b.ue(7), b.ue(0), b.bits(0, 4), b.ue(0);  // first MB, I slice, PPS, frame_num, IDR id
    b.bit(0), b.bit(0), b.ue(0), b.ue(1);              // ref marking, QP delta 0, no deblocking
    for (int mb = 0; mb < (kWidth / 16) * (kHeight / 16); ++mb) {
        b.ue(3), b.ue(0), b.ue(0);  // I_16x16_2_0_0, chroma DC, QP delta 0
        b.bit(1);                   // no DC coefficients
    }
    return b.nal(0x65);
}

// A video sample as a camera writes it: NAL units with 4-byte lengths, here one
// frame and a filler unit over the rest (whose bytes stay holes in a sparse file).
// Returns the bytes to write at the start of the sample; too small a sample gets
// as much as fits.
std::vector<uint8_t> videoSampleStart(uint64_t size) {
    static const std::vector<uint8_t> frame = greyFrame();
    std::vector<uint8_t> out;
    auto unit = [&out](const std::vector<uint8_t>& nal, uint64_t length) {
        const size_t at = out.size();
        out.resize(at + 4 + nal.size());
        for (int i = 0; i < 4; ++i) out[at + size_t(i)] = uint8_t(length >> (24 - 8 * i));
        std::copy(nal.begin(), nal.end(), out.begin() + std::ptrdiff_t(at + 4));
    };
    if (size >= 4 + frame.size() + 5) {
        unit(frame, frame.size());
        size -= 4 + frame.size();
    }
    if (size >= 5 && size - 4 <= 0xFFFFFFFFu) unit({0x0C}, size - 4);  // filler data
    return out;
}

void mvhd(Bytes& b, const SyntheticOptions& o, SyntheticLayout& l, uint64_t moovBase) {
    const size_t at = b.begin("mvhd");
    l.mvhdTypeOffset = moovBase + at + 4;
    if (o.mvhdVersion == 1) {
        b.u32(0x01000000);
        b.u64(0), b.u64(0);
        b.u32(o.timescale);
        b.u64(o.duration);
    } else {
        fullBoxHeader(b);
        b.u32(0), b.u32(0);
        b.u32(o.timescale);
        b.u32(o.duration);
    }
    b.u32(o.rate);
    b.u16(0x0100);  // volume 1.0
    b.fill(10, 0);
    const uint32_t matrix[9] = {0x00010000, 0, 0, 0, 0x00010000, 0, 0, 0, 0x40000000};
    for (uint32_t m : matrix) b.u32(m);
    b.fill(24, 0);
    b.u32(3);  // next track id
    b.end(at);
}

void videoSampleEntry(Bytes& b) {
    const size_t avc1 = b.begin("avc1");
    b.fill(6, 0), b.u16(1);  // data reference 1
    b.fill(16, 0);
    b.u16(kWidth), b.u16(kHeight), b.u32(0x00480000), b.u32(0x00480000), b.u32(0), b.u16(1);
    b.fill(32, 0);  // compressor name
    b.u16(0x0018), b.u16(0xFFFF);
    const std::vector<uint8_t> sps = sequenceParameterSet(), pps = pictureParameterSet();
    const size_t avcC = b.begin("avcC");
    b.u8(1), b.u8(sps[1]), b.u8(sps[2]), b.u8(sps[3]), b.u8(0xFF), b.u8(0xE1);  // 4-byte lengths, one SPS
    b.u16(uint16_t(sps.size())), b.data.insert(b.data.end(), sps.begin(), sps.end());
    b.u8(1), b.u16(uint16_t(pps.size())), b.data.insert(b.data.end(), pps.begin(), pps.end());
    b.end(avcC);
    b.end(avc1);
}

// 3GPP timed text, the sample description players and tag readers expect of a
// subtitle track whose samples are a 2-byte length and the text.
void textSampleEntry(Bytes& b) { mp4::timedTextSampleEntry().appendTo(b.data); }

// A track with the given handler; its stbl tables describe one sample per chunk.
void trak(Bytes& b, const char* handler, uint32_t trackId, const SyntheticOptions& o,
          const std::vector<uint32_t>& sizes, const std::vector<uint32_t>& offsets, bool withStsz, bool withStco,
          std::optional<uint32_t> countOverride, SyntheticLayout* l, uint64_t moovBase) {
    const size_t t = b.begin("trak");
    const bool video = std::string_view(handler) == "vide";
    const size_t tkhd = b.begin("tkhd");
    // Enabled and in the movie; the telemetry track is not shown, as a camera's.
    b.u32(video ? 0x00000003 : 0x00000002), b.u32(0), b.u32(0), b.u32(trackId), b.u32(0), b.u32(o.duration);
    b.fill(16, 0);
    for (uint32_t m : {0x00010000u, 0u, 0u, 0u, 0x00010000u, 0u, 0u, 0u, 0x40000000u}) b.u32(m);
    b.u32(video ? uint32_t(kWidth) << 16 : 0), b.u32(video ? uint32_t(kHeight) << 16 : 0);
    b.end(tkhd);
    const size_t mdia = b.begin("mdia");
    const size_t mdhd = b.begin("mdhd");
    fullBoxHeader(b);
    b.u32(0), b.u32(0), b.u32(o.timescale), b.u32(o.duration), b.u16(0x55C4), b.u16(0);
    b.end(mdhd);
    const size_t hdlr = b.begin("hdlr");
    fullBoxHeader(b);
    b.u32(0), b.text(std::string(handler, 4)), b.fill(12, 0), b.u8(0);
    b.end(hdlr);
    const size_t minf = b.begin("minf");
    const size_t mediaHeader = b.begin(video ? "vmhd" : "nmhd");
    b.u32(video ? 1 : 0);
    if (video) b.fill(8, 0);
    b.end(mediaHeader);
    const size_t dinf = b.begin("dinf");
    const size_t dref = b.begin("dref");
    fullBoxHeader(b);
    b.u32(1);
    const size_t url = b.begin("url ");
    b.u32(1);  // the media data is in this file
    b.end(url);
    b.end(dref);
    b.end(dinf);
    const size_t stbl = b.begin("stbl");
    const size_t stsd = b.begin("stsd");
    fullBoxHeader(b);
    b.u32(1);
    if (video) videoSampleEntry(b);
    else textSampleEntry(b);
    b.end(stsd);
    const size_t stts = b.begin("stts");
    fullBoxHeader(b);
    b.u32(1), b.u32(uint32_t(sizes.size())), b.u32(sizes.empty() ? 0 : o.duration / uint32_t(sizes.size()));
    b.end(stts);
    const size_t stsc = b.begin("stsc");
    fullBoxHeader(b);
    b.u32(1), b.u32(1), b.u32(1), b.u32(1);
    b.end(stsc);
    if (withStsz) {
        const size_t stsz = b.begin("stsz");
        fullBoxHeader(b);
        b.u32(0);
        if (l) l->stszCountOffset = moovBase + b.size();
        b.u32(countOverride.value_or(uint32_t(sizes.size())));
        for (uint32_t s : sizes) b.u32(s);
        b.end(stsz);
    }
    if (withStco) {
        const size_t stco = b.begin("stco");
        fullBoxHeader(b);
        b.u32(uint32_t(offsets.size()));
        if (l) l->stcoEntriesOffset = moovBase + b.size();
        for (uint32_t off : offsets) b.u32(off);
        b.end(stco);
    }
    b.end(stbl);
    b.end(minf);
    b.end(mdia);
    b.end(t);
}

struct Plan {
    Bytes head;  // ftyp, optional free, mdat header
    std::vector<uint8_t> moov;
    SyntheticLayout layout;
    std::vector<uint64_t> videoOffsets;  // start of each placeholder video chunk
};

Plan plan(const SyntheticOptions& o) {
    Plan p;
    SyntheticLayout& l = p.layout;
    Bytes& h = p.head;
    const size_t ftyp = h.begin("ftyp");
    h.text("isom"), h.u32(0x200), h.text("isomiso2avc1mp41");
    h.end(ftyp);
    if (!o.mdatInHeader) {
        const size_t free = h.begin("free");
        h.fill(80, 0);
        h.end(free);
    }
    l.mdatOffset = h.size();
    uint64_t cursor = l.mdatOffset + 8;
    std::vector<uint32_t> videoSizes;
    for (const std::string& s : o.samples) {
        p.videoOffsets.push_back(cursor);
        videoSizes.push_back(uint32_t(o.videoBytesPerSample));
        cursor += o.videoBytesPerSample;
        l.sampleOffsets.push_back(uint32_t(cursor));
        l.sampleSizes.push_back(uint32_t(s.size()));
        cursor += s.size();
    }
    const uint64_t mdatSize = cursor - l.mdatOffset;
    if (mdatSize > 0xFFFFFFFFull) throw std::length_error("synthetic mdat larger than 4 GiB");
    l.mdatSize = uint32_t(mdatSize);
    h.u32(l.mdatSize), h.text("mdat");

    std::vector<uint32_t> sizes = l.sampleSizes, offsets = l.sampleOffsets;
    for (auto [k, v] : o.sizeOverrides) sizes.at(k) = v;
    for (auto [k, v] : o.offsetOverrides) offsets.at(k) = v;
    std::vector<uint32_t> videoOffsets32(p.videoOffsets.begin(), p.videoOffsets.end());

    l.moovOffset = cursor + o.moovGap;
    Bytes m;
    const size_t moov = m.begin("moov");
    mvhd(m, o, l, l.moovOffset);
    trak(m, "vide", 1, o, videoSizes, videoOffsets32, true, true, std::nullopt, nullptr, l.moovOffset);
    if (o.marker) {
        const size_t marker = m.begin("free");
        l.markerOffset = l.moovOffset + m.size();
        m.text("Ambarella EXT");
        m.fill(3 + o.markerPadding, 0);
        m.end(marker);
    }
    trak(m, "sbtl", 2, o, sizes, offsets, o.telemetryStsz, o.telemetryStco, o.stszCount, &l, l.moovOffset);
    m.end(moov);
    if (o.trailer >= 8) {
        const size_t free = m.begin("free");
        m.fill(o.trailer - 8, 0);
        m.end(free);
    }
    p.moov = std::move(m.data);
    l.fileSize = l.moovOffset + p.moov.size();
    return p;
}

}  // namespace

std::vector<uint8_t> buildSynthetic(const SyntheticOptions& o, SyntheticLayout* layout) {
    Plan p = plan(o);
    std::vector<uint8_t> file(p.layout.fileSize, 0xAA);  // 0xAA: never part of a pattern the scan looks for
    std::memcpy(file.data(), p.head.data.data(), p.head.size());
    for (uint64_t at : p.videoOffsets) {
        const std::vector<uint8_t> start = videoSampleStart(o.videoBytesPerSample);
        std::memcpy(file.data() + at, start.data(), start.size());
    }
    for (size_t k = 0; k < o.samples.size(); ++k)
        std::memcpy(file.data() + p.layout.sampleOffsets[k], o.samples[k].data(), o.samples[k].size());
    std::memcpy(file.data() + p.layout.moovOffset, p.moov.data(), p.moov.size());
    if (o.truncateAt && *o.truncateAt < file.size()) file.resize(*o.truncateAt);
    if (layout) *layout = p.layout;
    return file;
}

SyntheticLayout writeSynthetic(const std::string& path, const SyntheticOptions& o) {
    if (!o.sparseVideo) {
        SyntheticLayout l;
        const std::vector<uint8_t> bytes = buildSynthetic(o, &l);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) throw std::system_error(errno, std::generic_category(), path);
        const bool ok = ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
        ::close(fd);
        if (!ok) throw std::system_error(errno, std::generic_category(), path);
        return l;
    }
    Plan p = plan(o);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), path);
    auto put = [&](uint64_t at, const void* bytes, size_t n) {
        if (::pwrite(fd, bytes, n, off_t(at)) != ssize_t(n)) {
            const int e = errno;
            ::close(fd);
            throw std::system_error(e, std::generic_category(), path);
        }
    };
    put(0, p.head.data.data(), p.head.size());
    const std::vector<uint8_t> videoStart = videoSampleStart(o.videoBytesPerSample);
    for (uint64_t at : p.videoOffsets) put(at, videoStart.data(), videoStart.size());
    for (size_t k = 0; k < o.samples.size(); ++k) put(p.layout.sampleOffsets[k], o.samples[k].data(), o.samples[k].size());
    put(p.layout.moovOffset, p.moov.data(), p.moov.size());
    const uint64_t finalSize = o.truncateAt ? std::min(*o.truncateAt, p.layout.fileSize) : p.layout.fileSize;
    if (::ftruncate(fd, off_t(finalSize)) != 0) {
        const int e = errno;
        ::close(fd);
        throw std::system_error(e, std::generic_category(), path);
    }
    ::close(fd);
    return p.layout;
}

}  // namespace testgen
