#include "SyntheticMp4.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <system_error>

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

// A track with the given handler; its stbl tables describe one sample per chunk.
void trak(Bytes& b, const char* handler, uint32_t trackId, const SyntheticOptions& o,
          const std::vector<uint32_t>& sizes, const std::vector<uint32_t>& offsets, bool withStsz, bool withStco,
          std::optional<uint32_t> countOverride, SyntheticLayout* l, uint64_t moovBase) {
    const size_t t = b.begin("trak");
    const size_t tkhd = b.begin("tkhd");
    b.u32(0x00000003), b.u32(0), b.u32(0), b.u32(trackId), b.u32(0), b.u32(o.duration);
    b.fill(60, 0);
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
    const size_t stbl = b.begin("stbl");
    const size_t stsd = b.begin("stsd");
    fullBoxHeader(b);
    b.u32(0);
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
