#include "MovieEdit.h"

#include <fcntl.h>

#include <stdexcept>

#include "MovieFileIo.h"

namespace mp4 {
namespace {

struct HeaderFields {
    size_t creation, timescale, nextTrack;
    bool wide;
};

HeaderFields headerFields(const Box& mvhd) {
    const bool wide = !mvhd.payload.empty() && mvhd.payload[0] == 1;
    const HeaderFields f = wide ? HeaderFields{4, 20, 108, true} : HeaderFields{4, 12, 96, false};
    if (mvhd.payload.size() < f.nextTrack + 4) throw std::runtime_error("the movie header is too short");
    return f;
}

uint64_t readBE64(std::span<const uint8_t> bytes, uint64_t at) {
    return uint64_t(readBE32(bytes, at)) << 32 | readBE32(bytes, at + 4);
}

}  // namespace

MovieEdit::MovieEdit(std::string path) : path_(std::move(path)) {
    MovieAtTheEnd m = readMovieAtTheEnd(File(path_, O_RDONLY));
    mdat_ = m.mdat, moov_ = m.moov, movie_ = std::move(m.movie);
    headerFields(movie_.get("mvhd"));
}

uint64_t MovieEdit::creationTime() const {
    const Box& mvhd = const_cast<Box&>(movie_).get("mvhd");
    const HeaderFields f = headerFields(mvhd);
    return f.wide ? readBE64(mvhd.payload, f.creation) : readBE32(mvhd.payload, f.creation);
}

void MovieEdit::setCreationTime(uint64_t seconds) {
    Box& mvhd = movie_.get("mvhd");
    const HeaderFields f = headerFields(mvhd);
    if (f.wide) {
        setBE32(mvhd.payload, f.creation, uint32_t(seconds >> 32));
        setBE32(mvhd.payload, f.creation + 4, uint32_t(seconds));
    } else {
        if (seconds > UINT32_MAX) throw std::invalid_argument("a version-0 movie header holds 32-bit times");
        setBE32(mvhd.payload, f.creation, uint32_t(seconds));
    }
}

uint64_t MovieEdit::appendMedia(std::string_view bytes) {
    const uint64_t at = moov_.offset + media_.size();
    media_.insert(media_.end(), bytes.begin(), bytes.end());
    return at;
}

uint32_t MovieEdit::addTrack(const TimedTrack& track) {
    const size_t n = track.samples.size();
    if (n == 0 || track.durations.size() != n || track.timescale == 0)
        throw std::invalid_argument("a track needs samples, each with a duration");
    Box& mvhd = movie_.get("mvhd");
    const HeaderFields f = headerFields(mvhd);
    const uint32_t id = readBE32(mvhd.payload, f.nextTrack);
    if (id == 0 || id == UINT32_MAX) throw std::runtime_error("the movie has no free track number");
    setBE32(mvhd.payload, f.nextTrack, id + 1);
    const uint32_t movieScale = readBE32(mvhd.payload, f.timescale);

    std::vector<uint32_t> sizes, offsets;
    uint64_t ticks = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint64_t at = appendMedia(track.samples[i]);
        if (at > UINT32_MAX) throw std::runtime_error("the media data is too large for 32-bit chunk offsets");
        offsets.push_back(uint32_t(at));
        sizes.push_back(uint32_t(track.samples[i].size()));
        ticks += track.durations[i];
    }
    const uint64_t movieTicks = ticks * movieScale / track.timescale;
    if (ticks > UINT32_MAX || movieTicks > UINT32_MAX) throw std::runtime_error("the track is too long for its header");

    Payload stts;
    std::vector<std::pair<uint32_t, uint32_t>> runs;  // (count, duration)
    for (const uint32_t d : track.durations)
        if (!runs.empty() && runs.back().second == d) ++runs.back().first;
        else runs.emplace_back(1, d);
    stts.u32(0).u32(uint32_t(runs.size()));
    for (const auto& [count, duration] : runs) stts.u32(count).u32(duration);

    Payload tkhd, mdhd, hdlr, nmhd, dref, stsd, stsc, stsz, stco;
    // In the movie but not enabled: players would otherwise offer it as a stream.
    tkhd.u32(0x00000002).u32(0).u32(0).u32(id).u32(0).u32(uint32_t(movieTicks)).zeros(16).unityMatrix().u32(0).u32(0);
    mdhd.u32(0).u32(0).u32(0).u32(track.timescale).u32(uint32_t(ticks)).u16(0x55C4).u16(0);
    hdlr.u32(0).u32(0).text(track.handler).zeros(12).u8(0);
    nmhd.u32(0);
    dref.u32(0).u32(1).u32(12).text("url ").u32(1);
    stsd.u32(0).u32(1).box(track.sampleEntry);
    stsc.u32(0).u32(1).u32(1).u32(1).u32(1);
    stsz.u32(0).u32(0).u32(uint32_t(n)).words(sizes);
    stco.u32(0).u32(uint32_t(n)).words(offsets);
    movie_.children.push_back(container(
        "trak", {leaf("tkhd", tkhd),
                 container("mdia", {leaf("mdhd", mdhd), leaf("hdlr", hdlr),
                                    container("minf", {leaf("nmhd", nmhd), container("dinf", {leaf("dref", dref)}),
                                                       container("stbl", {leaf("stsd", stsd), leaf("stts", stts),
                                                                          leaf("stsc", stsc), leaf("stsz", stsz),
                                                                          leaf("stco", stco)})})})}));
    return id;
}

void MovieEdit::addToMovie(Box box) { movie_.children.push_back(std::move(box)); }

void MovieEdit::addAfterMovie(Box box) { after_.push_back(std::move(box)); }

void MovieEdit::write() {
    const uint64_t mdatSize = mdat_.size + media_.size();
    if (mdatSize > UINT32_MAX) throw std::runtime_error("the media data is too large for a 32-bit size");
    std::vector<uint8_t> tail = media_;
    movie_.appendTo(tail);
    for (const Box& box : after_) box.appendTo(tail);
    File file(path_, O_WRONLY);
    file.write(moov_.offset, tail.data(), tail.size());
    file.truncate(moov_.offset + tail.size());
    std::vector<uint8_t> size;
    putBE32(size, uint32_t(mdatSize));
    file.write(mdat_.offset, size.data(), size.size());
    file.close();

    mdat_.size = mdatSize;
    moov_.offset += media_.size();
    media_.clear();
    after_.clear();
}

}  // namespace mp4
