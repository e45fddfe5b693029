#pragma once
// Shared by the generator's tests: scanning a file and reading back its lines.

#include <string>
#include <vector>

#include "Class_Video_Info.h"
#include "Extract_Subtitle.h"

namespace testgen::testing {

inline telemetry::Class_Video_Info scan(const std::string& path) {
    telemetry::Class_Video_Info record;
    telemetry::Extract_Subtitle().ExtractSubtitle(record, path);
    return record;
}

// The telemetry lines of a scanned recording, without their 2-byte length prefix.
inline std::vector<std::string> scannedLines(const telemetry::Class_Video_Info& record) {
    std::vector<std::string> lines;
    if (record.array_subtitle_final)
        for (const std::string_view sample : *record.array_subtitle_final)
            lines.emplace_back(sample.size() >= 2 ? sample.substr(2) : sample);
    return lines;
}

}  // namespace testgen::testing
