#include "Mp4Tracks.h"

#include <algorithm>

namespace telemetry {
namespace {

// Header boxes are a few dozen bytes; anything larger is not one.
constexpr uint64_t kHeaderLimit = 4096;
// A table of 16 million entries is far beyond any recording's metadata track.
constexpr uint64_t kTableLimit = uint64_t(64) << 20;
// The most sample bytes hinted for read-ahead at once.
constexpr uint64_t kPrefetchBudget = uint64_t(64) << 20;

std::optional<std::vector<uint8_t>> child(const FileBytes& file, const BoxList& list, std::string_view type,
                                          uint64_t limit = kHeaderLimit) {
    const auto box = firstOf(list, type);
    return box ? payloadOf(file, *box, limit) : std::nullopt;
}

// The track's header fields, or the reason it cannot be listed.
std::optional<Mp4Track> trackOf(const FileBytes& file, const BoxAt& trak, std::string& damage) {
    const BoxList parts = childrenOf(file, trak);
    const auto mdia = firstOf(parts, "mdia");
    if (!mdia) return std::nullopt;  // not a track a reader can use; not damage either
    Mp4Track track;
    if (const auto tkhd = child(file, parts, "tkhd")) {
        const size_t at = !tkhd->empty() && (*tkhd)[0] == 1 ? 20 : 12;
        if (tkhd->size() >= at + 4) track.id = be32(tkhd->data() + at);
    }
    const BoxList media = childrenOf(file, *mdia);
    const auto mdhd = child(file, media, "mdhd");
    const auto hdlr = child(file, media, "hdlr");
    const auto minf = firstOf(media, "minf");
    if (!mdhd || !hdlr || hdlr->size() < 12 || !minf) {
        damage = "a track without its media header or handler";
        return std::nullopt;
    }
    const bool wide = !mdhd->empty() && (*mdhd)[0] == 1;
    if (mdhd->size() < (wide ? 32u : 20u)) {
        damage = "a track's media header is too short";
        return std::nullopt;
    }
    track.timescale = be32(mdhd->data() + (wide ? 20 : 12));
    track.durationTicks = wide ? be64(mdhd->data() + 24) : be32(mdhd->data() + 16);
    track.handler.assign(reinterpret_cast<const char*>(hdlr->data() + 8), 4);

    const auto stbl = firstOf(childrenOf(file, *minf), "stbl");
    if (!stbl) {
        damage = "a track without sample tables";
        return std::nullopt;
    }
    track.sampleTable = *stbl;
    // The sample description's first entry names the format; reading its header is enough.
    if (const auto stsd = firstOf(childrenOf(file, *stbl), "stsd"); stsd && stsd->payloadSize() >= 16) {
        uint8_t entry[16];
        if (file.read(stsd->payload(), sizeof entry, entry) && be32(entry + 4) > 0)
            track.format.assign(reinterpret_cast<const char*>(entry + 12), 4);
    }
    return track;
}

// The table's entries after its version/flags and count fields (header bytes in
// all), or none when the count does not fit the box.
struct Table {
    std::vector<uint8_t> bytes;
    uint32_t count = 0;
    const uint8_t* entry(size_t i, size_t width, size_t header) const { return bytes.data() + header + i * width; }
};

std::optional<Table> table(const FileBytes& file, const BoxList& list, std::string_view type, size_t width,
                           size_t header = 8) {
    auto bytes = child(file, list, type, kTableLimit);
    if (!bytes || bytes->size() < header) return std::nullopt;
    const uint32_t count = be32(bytes->data() + header - 4);
    if (width > 0 && uint64_t(count) > (bytes->size() - header) / width) return std::nullopt;
    return Table{std::move(*bytes), count};
}

}  // namespace

TrackListing movieTracks(const FileBytes& file) {
    TrackListing listing;
    const BoxList top = topLevelBoxes(file);
    const auto moov = firstOf(top, "moov");
    if (!moov) return listing;
    const BoxList movie = childrenOf(file, *moov);
    if (movie.damagedAt) listing.damage = "the movie box is damaged";
    for (const BoxAt& box : movie.boxes) {
        if (box.type != "trak") continue;
        std::string damage;
        if (auto track = trackOf(file, box, damage))
            listing.tracks.push_back(std::move(*track));
        else if (!damage.empty() && listing.damage.empty())
            listing.damage = damage;
    }
    return listing;
}

std::optional<Mp4Track> firstTrackOfFormat(const FileBytes& file, std::string_view format) {
    for (Mp4Track& track : movieTracks(file).tracks)
        if (track.format == format) return std::move(track);
    return std::nullopt;
}

SampleTable trackSamples(const FileBytes& file, const Mp4Track& track, size_t maxSamples) {
    SampleTable out;
    const auto fail = [&out](const char* why) {
        out.samples.clear();
        out.damage = why;
        return out;
    };
    const BoxList tables = childrenOf(file, track.sampleTable);

    // stsz: one size for all samples, or a size each.
    const auto stsz = table(file, tables, "stsz", 0, 12);
    if (!stsz) return fail("no sample sizes");
    const uint32_t commonSize = be32(stsz->bytes.data() + 4);
    const uint32_t count = stsz->count;
    if (commonSize == 0 && uint64_t(count) > (stsz->bytes.size() - 12) / 4)
        return fail("more sample sizes than the table holds");
    if (count > maxSamples) return fail("too many samples");
    // Samples of one size each take their own bytes of the file.
    if (commonSize != 0 && count > file.size() / commonSize) return fail("more samples than the file holds");

    const bool wide = firstOf(tables, "co64").has_value();
    const auto chunks = table(file, tables, wide ? "co64" : "stco", wide ? 8 : 4);
    const auto stsc = table(file, tables, "stsc", 12);
    const auto stts = table(file, tables, "stts", 8);
    if (!chunks || !stsc || !stts) return fail("damaged sample tables");
    if (count == 0) return out;

    out.samples.reserve(count);
    size_t run = 0;  // the stsc entry that covers the chunk
    for (uint32_t chunk = 0; chunk < chunks->count && out.samples.size() < count; ++chunk) {
        while (run + 1 < stsc->count && be32(stsc->entry(run + 1, 12, 8)) <= uint64_t(chunk) + 1) ++run;
        if (stsc->count == 0 || be32(stsc->entry(run, 12, 8)) > uint64_t(chunk) + 1)
            return fail("a chunk without a samples-per-chunk entry");
        const uint32_t perChunk = be32(stsc->entry(run, 12, 8) + 4);
        uint64_t at = wide ? be64(chunks->entry(chunk, 8, 8)) : be32(chunks->entry(chunk, 4, 8));
        for (uint32_t i = 0; i < perChunk && out.samples.size() < count; ++i) {
            const size_t k = out.samples.size();
            const uint32_t size = commonSize ? commonSize : be32(stsz->entry(k, 4, 12));
            out.samples.push_back({at, size, 0, 0});
            if (at > UINT64_MAX - size) return fail("a sample beyond any file");
            at += size;
        }
    }
    if (out.samples.size() < count) return fail("the chunks hold fewer samples than the sizes list");

    // stts: runs of equal durations; they must cover every sample.
    uint64_t time = 0;
    size_t k = 0;
    for (uint32_t e = 0; e < stts->count && k < count; ++e) {
        const uint32_t n = be32(stts->entry(e, 8, 8)), delta = be32(stts->entry(e, 8, 8) + 4);
        for (uint32_t i = 0; i < n && k < count; ++i, ++k) {
            out.samples[k].start = time;
            out.samples[k].duration = delta;
            time += delta;
        }
    }
    if (k < count) return fail("the time table covers fewer samples than the sizes list");
    return out;
}

std::optional<TrackSample> firstSample(const FileBytes& file, const Mp4Track& track) {
    const BoxList tables = childrenOf(file, track.sampleTable);
    const auto stsz = firstOf(tables, "stsz");
    const auto co64 = firstOf(tables, "co64");
    const auto chunks = co64 ? co64 : firstOf(tables, "stco");
    uint8_t sizes[16], offset[16];
    if (!stsz || !chunks || stsz->payloadSize() < 12 || chunks->payloadSize() < (co64 ? 16u : 12u) ||
        !file.read(stsz->payload(), std::min<uint64_t>(16, stsz->payloadSize()), sizes) ||
        !file.read(chunks->payload(), co64 ? 16 : 12, offset) || be32(sizes + 8) == 0 || be32(offset + 4) == 0)
        return std::nullopt;
    uint32_t size = be32(sizes + 4);
    if (size == 0) {
        if (stsz->payloadSize() < 16) return std::nullopt;
        size = be32(sizes + 12);
    }
    return TrackSample{co64 ? be64(offset + 8) : be32(offset + 8), size, 0, 0};
}

std::string forEachSample(const FileBytes& file, const Mp4Track& track, uint32_t sampleLimit, const SampleUse& use) {
    if (track.timescale == 0) return "no time scale";
    const SampleTable table = trackSamples(file, track);
    if (!table.damage.empty()) return table.damage;
    {
        PrefetchRun prefetch(file, kPrefetchBudget);
        for (const TrackSample& at : table.samples)
            if (at.size > sampleLimit || !prefetch.add(at.offset, at.size)) break;
    }
    for (const TrackSample& at : table.samples) {
        if (at.size > sampleLimit) return "a sample larger than its format allows";
        const auto bytes = sampleBytes(file, at, sampleLimit);
        if (!bytes) return "a sample beyond the end of the file";
        const double scale = track.timescale;
        if (std::string why = use(*bytes, double(at.start) / scale, double(at.duration) / scale); !why.empty())
            return why;
    }
    return {};
}

std::optional<std::vector<uint8_t>> sampleBytes(const FileBytes& file, const TrackSample& sample, uint32_t limit) {
    if (sample.size > limit || !file.contains(sample.offset, sample.size)) return std::nullopt;
    std::vector<uint8_t> bytes(sample.size);
    if (!bytes.empty() && !file.read(sample.offset, bytes.size(), bytes.data())) return std::nullopt;
    return bytes;
}

}  // namespace telemetry
