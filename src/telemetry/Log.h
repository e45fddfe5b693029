#pragma once
// The core's one logging hook. By default a line goes to standard error; the
// window and the command-line tool may route it elsewhere.

#include <functional>
#include <string_view>

namespace telemetry {

using LogSink = std::function<void(std::string_view line)>;

// Replaces the sink; an empty function restores the default. Thread-safe.
void setLogSink(LogSink sink);
// Writes one line (without its newline) through the current sink. Thread-safe.
void logLine(std::string_view line);

}  // namespace telemetry
