// dashcam-testgen: writes the project's test recordings.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>

#include "Drive.h"
#include "PlayableMp4.h"
#include "Samples.h"
#include "SyntheticMp4.h"

namespace {

constexpr const char* kUsage =
    "usage: dashcam-testgen synthetic FILE [SECONDS]   byte-level dashcam file (placeholder video)\n"
    "       dashcam-testgen playable FILE [SECONDS]    playable H.264 recording (needs ffmpeg)\n"
    "       dashcam-testgen samples DIR                the three bundled sample recordings\n"
    "SECONDS defaults to 60.\n";

struct UsageError {
    std::string message;
};

int parseSeconds(int argc, char** argv) {
    if (argc < 4) return 60;
    const std::string_view text = argv[3];
    int seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error != std::errc() || end != text.data() + text.size() || seconds <= 0)
        throw UsageError{"SECONDS must be a positive whole number, not '" + std::string(text) + "'"};
    return seconds;
}

void synthetic(const char* path, int seconds) {
    testgen::DriveOptions drive;
    drive.seconds = seconds;
    testgen::SyntheticOptions o;
    for (const std::string& line : testgen::simulateDrive(drive)) o.samples.push_back(testgen::timedTextSample(line));
    o.duration = uint32_t(seconds) * 1000;
    testgen::writeSynthetic(path, o);
}

void playable(const char* path, int seconds) {
    testgen::DriveOptions drive;
    drive.seconds = seconds;
    testgen::PlayableOptions o;
    o.lines = testgen::simulateDrive(drive);
    testgen::writePlayable(path, o);
}

int run(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc < 2) throw UsageError{"no command given"};
    const std::string_view command = argv[1];
    if (command == "samples") {
        if (argc != 3) throw UsageError{"samples takes one DIR"};
        testgen::writeSampleRecordings(argv[2]);
    } else if (command == "synthetic" || command == "playable") {
        if (argc < 3 || argc > 4) throw UsageError{std::string(command) + " takes FILE and optional SECONDS"};
        const int seconds = parseSeconds(argc, argv);
        command == "synthetic" ? synthetic(argv[2], seconds) : playable(argv[2], seconds);
    } else {
        throw UsageError{"unknown command '" + std::string(command) + "'"};
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "dashcam-testgen: %s\n%s", e.message.c_str(), kUsage);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dashcam-testgen: %s\n", e.what());
        return 1;
    }
}
