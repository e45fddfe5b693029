#include "PlayableMp4.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "Drive.h"
#include "Files.h"
#include "Mp4Boxes.h"
#include "Process.h"
#include "TelemetryTrack.h"

namespace testgen {
namespace {

using mp4::Box;
using mp4::BoxSpan;

constexpr uint32_t kRateOne = 0x00010000;

void checkOptions(const PlayableOptions& o) {
    if (o.lines.empty()) throw std::invalid_argument("a playable recording needs at least one telemetry line");
    if (o.width <= 0 || o.height <= 0 || o.fps <= 0)
        throw std::invalid_argument("width, height and frame rate must be positive");
    for (const std::string& line : o.lines) {
        // An empty or multi-line cue would not survive the trip through SRT.
        if (line.empty() || line.find_first_of("\r\n") != std::string::npos || line.size() > 0xFFFF)
            throw std::invalid_argument("telemetry lines must be one line of 1 to 65535 bytes");
    }
}

std::string srtTime(size_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02zu:%02zu:%02zu,000", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

void writeSrt(const std::filesystem::path& path, const std::vector<std::string>& lines) {
    std::ofstream out(path, std::ios::binary);
    for (size_t k = 0; k < lines.size(); ++k)
        out << k + 1 << '\n' << srtTime(k) << " --> " << srtTime(k + 1) << '\n' << lines[k] << "\n\n";
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

// --- The muxer's output, as tables -------------------------------------------

struct TextSamples {
    std::vector<uint32_t> sizes, offsets;
};

void expectWords(const std::vector<uint32_t>& words, uint64_t expected, const char* table) {
    if (words.size() != expected) throw std::runtime_error(std::string("malformed '") + table + "' in the text track");
}

// One absolute offset per sample, from the muxer's chunking (which can put several
// samples in one chunk).
TextSamples readSamples(Box& stbl) {
    if (stbl.find("co64")) throw std::runtime_error("the text track uses 64-bit chunk offsets");
    const auto stsz = stbl.get("stsz").words(), stsc = stbl.get("stsc").words(), stco = stbl.get("stco").words();
    if (stsz.size() < 3 || stsc.size() < 2 || stco.size() < 2) throw std::runtime_error("truncated text track tables");
    TextSamples s;
    if (stsz[1] != 0) {
        s.sizes.assign(stsz[2], stsz[1]);
    } else {
        expectWords(stsz, 3 + uint64_t(stsz[2]), "stsz");
        s.sizes.assign(stsz.begin() + 3, stsz.end());
    }
    expectWords(stsc, 2 + 3 * uint64_t(stsc[1]), "stsc");
    expectWords(stco, 2 + uint64_t(stco[1]), "stco");

    size_t sample = 0;
    for (uint32_t e = 0; e < stsc[1]; ++e) {
        const uint32_t first = stsc[2 + 3 * e], perChunk = stsc[3 + 3 * e];
        const uint64_t next = e + 1 < stsc[1] ? stsc[2 + 3 * (e + 1)] : uint64_t(stco[1]) + 1;
        if (first == 0 || next <= first || next > uint64_t(stco[1]) + 1) throw std::runtime_error("malformed 'stsc' in the text track");
        for (uint64_t chunk = first; chunk < next; ++chunk) {
            uint64_t offset = stco[1 + chunk];
            for (uint32_t i = 0; i < perChunk; ++i, ++sample) {
                if (sample >= s.sizes.size()) throw std::runtime_error("'stsc' describes more text samples than 'stsz'");
                s.offsets.push_back(uint32_t(offset));
                offset += s.sizes[sample];
            }
        }
    }
    if (s.offsets.size() != s.sizes.size()) throw std::runtime_error("'stsc' describes fewer text samples than 'stsz'");
    return s;
}

// At the end of a text track the mov muxer adds an empty sample (just a zero
// length) to close the last cue; a camera writes none, and the scan would read it
// as a sample without telemetry.
void dropClosingSample(TextSamples& s, std::vector<uint32_t>& stts, const std::vector<uint8_t>& file) {
    if (s.sizes.empty() || s.sizes.back() != 2) return;
    const uint64_t at = s.offsets.back();
    if (at + 2 > file.size() || file[at] != 0 || file[at + 1] != 0) return;
    s.sizes.pop_back();
    s.offsets.pop_back();
    if (stts.size() < 4) throw std::runtime_error("malformed 'stts' in the text track");
    expectWords(stts, 2 + 2 * uint64_t(stts[1]), "stts");
    if (--stts[stts.size() - 2] == 0) {  // the count of the last (count, delta) run
        stts.resize(stts.size() - 2);
        --stts[1];
    }
}

void checkSamples(const TextSamples& s, const std::vector<uint8_t>& file, const std::vector<std::string>& lines) {
    if (s.sizes.size() != lines.size())
        throw std::runtime_error("ffmpeg wrote " + std::to_string(s.sizes.size()) + " text samples for " +
                                 std::to_string(lines.size()) + " telemetry lines");
    for (size_t k = 0; k < lines.size(); ++k) {
        const std::string expected = timedTextSample(lines[k]);
        const uint64_t at = s.offsets[k];
        if (s.sizes[k] != expected.size() || at + expected.size() > file.size() ||
            !std::equal(expected.begin(), expected.end(), file.begin() + long(at)))
            throw std::runtime_error("text sample " + std::to_string(k) + " does not hold telemetry line " +
                                     std::to_string(k) + " as given");
    }
}

void writeOneSamplePerChunk(Box& stbl, const TextSamples& s, const std::vector<uint32_t>& stts) {
    const uint32_t n = uint32_t(s.sizes.size());
    std::vector<uint32_t> stsz = {0, 0, n};
    stsz.insert(stsz.end(), s.sizes.begin(), s.sizes.end());
    std::vector<uint32_t> stco = {0, n};
    stco.insert(stco.end(), s.offsets.begin(), s.offsets.end());
    stbl.get("stsz").setWords(stsz);
    stbl.get("stsc").setWords({0, 1, 1, 1, 1});
    stbl.get("stco").setWords(stco);
    stbl.get("stts").setWords(stts);
}

// --- The movie box ------------------------------------------------------------

void checkMovieHeader(const Box& mvhd) {
    const auto& p = mvhd.payload;
    if (p.size() < 24 || p[0] != 0) throw std::runtime_error("ffmpeg wrote a movie header that is not version 0");
    if (mp4::readBE32(p, 20) != kRateOne) throw std::runtime_error("ffmpeg wrote a movie header whose rate is not 1.0");
}

std::vector<Box>::iterator findTextTrack(Box& moov) {
    auto text = moov.children.end();
    for (auto it = moov.children.begin(); it != moov.children.end(); ++it) {
        if (it->type != "trak") continue;
        const auto& hdlr = it->get("mdia").get("hdlr").payload;
        const std::string handler = hdlr.size() >= 12 ? std::string(hdlr.begin() + 8, hdlr.begin() + 12) : "";
        if (handler != "sbtl" && handler != "text") continue;
        if (text != moov.children.end()) throw std::runtime_error("ffmpeg wrote more than one text track");
        text = it;
    }
    if (text == moov.children.end()) throw std::runtime_error("ffmpeg wrote no text track");
    // The scan's table window stops 10 bytes short of the end of the file.
    if (text + 1 == moov.children.end()) throw std::runtime_error("the text track is the last box of the file");
    return text;
}

// The muxer enables a lone text track, and players then print the raw telemetry
// over the picture; the viewer shows it in its own way.
void disableTrack(Box& tkhd) {
    if (tkhd.payload.size() < 4) throw std::runtime_error("malformed 'tkhd' in the text track");
    tkhd.payload[3] &= uint8_t(~1u);
}

const BoxSpan& topBox(const std::vector<BoxSpan>& top, const char* type) {
    for (const BoxSpan& box : top)
        if (box.type == type) return box;
    throw std::runtime_error(std::string("ffmpeg's output has no '") + type + "' box");
}

// The scan looks for the rate 1.0 (00 01 00 00) in the first 500 bytes of a window
// that starts (mdat size) bytes into the file: a few bytes before the movie box, so
// the tail of the media data shares the window. Returns where it would find it.
uint64_t rateFoundByScan(const std::vector<uint8_t>& file, const BoxSpan& mdat) {
    const uint64_t window = mp4::readBE32(file, mdat.offset);
    for (uint64_t at = window + 8; at < window + 500 && at + 4 <= file.size(); ++at)
        if (mp4::readBE32(file, at) == kRateOne) return at;
    return 0;
}

uint64_t movieHeaderRate(const std::vector<uint8_t>& file) {
    const BoxSpan moov = topBox(mp4::listBoxes(file, 0, file.size()), "moov");
    return topBox(mp4::listBoxes(file, moov.offset + moov.header, moov.offset + moov.size), "mvhd").offset + 8 + 20;
}

// Zero filler at the end of mdat moves the window's start onto the filler, away
// from video bytes that happen to read 00 01 00 00.
void keepRateFindable(std::vector<uint8_t>& file, const BoxSpan& mdat) {
    if (rateFoundByScan(file, mdat) == movieHeaderRate(file)) return;
    if (mdat.size + mdat.offset > UINT32_MAX) throw std::runtime_error("mdat is too large to pad");
    file.insert(file.begin() + long(mdat.offset + mdat.size), mdat.offset, 0);
    mp4::setBE32(file, mdat.offset, uint32_t(mdat.size + mdat.offset));
    if (rateFoundByScan(file, mdat) != movieHeaderRate(file))
        throw std::runtime_error("the movie header's rate is not where the scan looks for it");
}

}  // namespace

void encodePlayable(const std::string& path, const PlayableOptions& o) {
    checkOptions(o);
    TempDir work(std::filesystem::temp_directory_path() / "dashcam-testgen-XXXXXX");
    const std::filesystem::path srt = work.path() / "telemetry.srt";
    writeSrt(srt, o.lines);
    const std::string size = std::to_string(o.width) + "x" + std::to_string(o.height);
    // One encoder thread: x264's output depends on the thread count, and the same
    // options should give the same bytes on every machine.
    std::vector<std::string> args{
        "ffmpeg", "-nostdin", "-v", "error", "-y",
        "-f", "lavfi", "-i", "testsrc2=size=" + size + ":rate=" + std::to_string(o.fps),
        "-i", srt.string()};
    if (o.sound) args.insert(args.end(), {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000"});
    args.insert(args.end(), {"-t", std::to_string(o.lines.size()), "-map", "0:v:0", "-map", "1:s:0"});
    // Sound last: the video and text tracks keep the places they have without it.
    if (o.sound) args.insert(args.end(), {"-map", "2:a:0", "-c:a", "aac", "-flags:a", "+bitexact"});
    args.insert(args.end(), {
        "-c:v", "libx264", "-preset", "veryfast", "-threads", "1", "-pix_fmt", "yuv420p",
        "-c:s", "mov_text",
        "-map_metadata", "-1", "-map_chapters", "-1", "-fflags", "+bitexact", "-flags:v", "+bitexact",
        "-f", "mp4", path});
    const ProcessResult r = runProcess(args);
    if (r.exitCode != 0) {
        std::string complaint = r.err;
        while (!complaint.empty() && (complaint.back() == '\n' || complaint.back() == '\r')) complaint.pop_back();
        throw std::runtime_error("ffmpeg failed (exit status " + std::to_string(r.exitCode) + "): " + complaint);
    }
}

void encodeBareVideo(const std::string& path, const BareVideo& v) {
    if (v.seconds < 1 || v.width < 16 || v.height < 16 || v.fps < 1)
        throw std::invalid_argument("a bare video needs at least a second and a 16x16 picture");
    const std::string size = std::to_string(v.width) + "x" + std::to_string(v.height);
    const ProcessResult r = runProcess({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                                        v.pattern + "=size=" + size + ":rate=" + std::to_string(v.fps), "-t",
                                        std::to_string(v.seconds), "-c:v", "libx264", "-preset", "veryfast", "-threads",
                                        "1", "-pix_fmt", "yuv420p", "-map_metadata", "-1", "-fflags", "+bitexact",
                                        "-flags:v", "+bitexact", "-f", "mp4", path});
    if (r.exitCode != 0)
        throw std::runtime_error("ffmpeg failed (exit status " + std::to_string(r.exitCode) + "): " + r.err);
}

std::vector<uint8_t> applyDashcamLayout(std::vector<uint8_t> file, const std::vector<std::string>& lines) {
    const std::vector<BoxSpan> top = mp4::listBoxes(file, 0, file.size());
    const BoxSpan mdat = topBox(top, "mdat"), moovSpan = topBox(top, "moov");
    // The scan finds mdat's size in the first 80 bytes, and the sample offsets must
    // survive the movie box growing: so mdat early and 32-bit, moov last.
    if (mdat.header != 8 || mdat.offset + 8 > 80) throw std::runtime_error("mdat is not a 32-bit box within the first 80 bytes");
    if (top.back().type != "moov") throw std::runtime_error("the movie box is not at the end of the file");

    Box moov = mp4::parseBox(file, moovSpan);
    checkMovieHeader(moov.get("mvhd"));
    const auto text = findTextTrack(moov);
    Box& stbl = text->get("mdia").get("minf").get("stbl");
    TextSamples samples = readSamples(stbl);
    std::vector<uint32_t> stts = stbl.get("stts").words();
    dropClosingSample(samples, stts, file);
    checkSamples(samples, file, lines);
    writeOneSamplePerChunk(stbl, samples, stts);
    disableTrack(text->get("tkhd"));
    moov.children.insert(text, mp4::vendorMarker());

    file.resize(moovSpan.offset);
    moov.appendTo(file);
    keepRateFindable(file, mdat);
    return file;
}

void writePlayable(const std::string& path, const PlayableOptions& options) {
    checkOptions(options);
    TempDir work(std::filesystem::temp_directory_path() / "dashcam-testgen-XXXXXX");
    const std::filesystem::path encoded = work.path() / "encoded.mp4";
    encodePlayable(encoded.string(), options);
    writeFileAtomically(path, applyDashcamLayout(readFile(encoded), options.lines));
}

}  // namespace testgen
