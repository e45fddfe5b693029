#include "Log.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace telemetry {
namespace {
std::mutex sinkMutex;
LogSink currentSink;
}  // namespace

void setLogSink(LogSink sink) {
    std::lock_guard lock(sinkMutex);
    currentSink = std::move(sink);
}

void logLine(std::string_view line) {
    std::lock_guard lock(sinkMutex);
    if (currentSink) {
        currentSink(line);
        return;
    }
    std::string out(line);
    out += '\n';
    std::fwrite(out.data(), 1, out.size(), stderr);  // one write per line keeps lines whole
}

}  // namespace telemetry
