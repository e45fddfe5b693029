#include "MovieHeader.h"

#include "Mp4Walk.h"

namespace telemetry {

std::optional<MovieHeader> movieHeader(const FileBytes& file) {
    const auto moov = firstOf(topLevelBoxes(file), "moov");
    if (!moov) return std::nullopt;
    const auto mvhd = firstOf(childrenOf(file, *moov), "mvhd");
    if (!mvhd) return std::nullopt;
    const auto p = payloadOf(file, *mvhd, 120);
    if (!p || p->empty()) return std::nullopt;
    const uint8_t* b = p->data();
    MovieHeader h;
    if ((*p)[0] == 1) {
        if (p->size() < 32) return std::nullopt;
        h.creationTime = be64(b + 4), h.timescale = be32(b + 20), h.duration = be64(b + 24);
    } else {
        if (p->size() < 20) return std::nullopt;
        h.creationTime = be32(b + 4), h.timescale = be32(b + 12), h.duration = be32(b + 16);
    }
    return h;
}

}  // namespace telemetry
