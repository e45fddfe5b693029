#pragma once
// The dashcam-telemetry command line: argument handling, scanning and output.

namespace telemetry_cli {

enum ExitStatus { kSuccess = 0, kFailure = 1, kBadArguments = 2, kNothingExported = 3 };

// argv as the process got it: paths are passed to the scan byte for byte.
int run(int argc, char** argv);

}  // namespace telemetry_cli
