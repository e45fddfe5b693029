#pragma once
// Runs helper programs (ffmpeg, ffprobe) without a shell and collects their output.

#include <string>
#include <vector>

namespace testgen {

struct ProcessResult {
    int exitCode = 0;  // 128 + signal number when the program was killed
    std::string out, err;
};

// argv[0] is looked up on PATH. Throws std::runtime_error when it cannot be started.
ProcessResult runProcess(const std::vector<std::string>& argv);

// Whether an executable of that name is on PATH.
bool onPath(const std::string& program);

}  // namespace testgen
