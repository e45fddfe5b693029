#pragma once
// One decoded telemetry sample: fifteen texts taken from a "$"-separated line.

#include <string>
#include <string_view>

#include "CompactText.h"

namespace telemetry {

struct Class_Subtitle_Info {
    SampleText gx, gy, gz;
    SampleText lon, lat;
    SampleText heading, speed;
    SampleText year, month, day, hour, min, second;
    SampleText NS, WE;

    // Fills the fields from components 1 to 15 of the text split at every "$".
    // Throws std::out_of_range at the first missing component; the fields stored
    // before it keep their values.
    void setSubtitleInfo(std::string_view text);

    // "0" + text when the integer value of the text is below 10, else the text.
    static std::string ConvertString(std::string_view text);

    // The fifteen fields in declaration order, with their names, for writers that
    // list them all (JSON, CSV).
    static constexpr int kFieldCount = 15;
    static constexpr const char* kFieldNames[kFieldCount] = {
        "gx", "gy", "gz", "lon", "lat", "heading", "speed", "year",
        "month", "day", "hour", "min", "second", "NS", "WE"};
    const SampleText& field(int index) const;
    SampleText& field(int index);

    bool operator==(const Class_Subtitle_Info&) const = default;
};

// A sample has a position fix when the integer value of its lat text is above 0.
bool hasPositionFix(const Class_Subtitle_Info& sample);

}  // namespace telemetry
