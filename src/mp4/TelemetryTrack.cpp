#include "TelemetryTrack.h"

#include "MovieFileIo.h"

#include <fcntl.h>

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
    MovieAtTheEnd m = readMovieAtTheEnd(File(path_, O_RDONLY));
    mdat_ = m.mdat, moov_ = m.moov, movie_ = std::move(m.movie);
    // The scan takes the movie box's place from the size of the media data box, which
    // it finds in the first 80 bytes.
    if (mdat_.offset + 8 > 80) throw std::runtime_error("the media data box does not begin in the first 80 bytes");
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
