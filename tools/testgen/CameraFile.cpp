#include "CameraFile.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "Files.h"
#include "PlayableMp4.h"

namespace testgen {
namespace {

// The movie box follows the media data, so it may change size without moving a chunk.
void dropUserData(const std::filesystem::path& path) {
    const std::vector<uint8_t> file = readFile(path);
    std::vector<uint8_t> out;
    for (const mp4::BoxSpan& span : mp4::listBoxes(file, 0, file.size())) {
        if (span.type != "moov") {
            out.insert(out.end(), file.begin() + long(span.offset), file.begin() + long(span.offset + span.size));
            continue;
        }
        mp4::Box movie = mp4::parseBox(file, span);
        std::erase_if(movie.children, [](const mp4::Box& b) { return b.type == "udta"; });
        movie.appendTo(out);
    }
    writeFileAtomically(path, out);
}

}  // namespace

void writeCameraFile(const std::string& path, int seconds, const std::function<void(mp4::MovieEdit&)>& addTelemetry,
                     bool bareMovie) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    // ffmpeg picks the container by the name, so the temporary name ends in .mp4 too.
    const fs::path temp = target.parent_path() / std::string(".").append(target.filename().string()).append(".part.mp4");
    try {
        encodeBareVideo(temp.string(), {.seconds = std::max(seconds, 1)});
        mp4::MovieEdit edit(temp.string());
        addTelemetry(edit);
        edit.write();
        if (bareMovie) dropUserData(temp);
        fs::rename(temp, target);
    } catch (...) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        throw;
    }
}

}  // namespace testgen
