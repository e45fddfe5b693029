#pragma once
// Everything known about one recording: file facts, where its boxes lie, its
// telemetry table and a summary of its track. Fresh: numbers 0, references null.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Class_Subtitle_Info.h"

namespace telemetry {

template <typename T>
using List = std::optional<std::vector<T>>;  // null until the scan creates it

struct Class_Video_Info {
    Text filepath;
    Text filename;
    Text filenameWithoutExtension;
    Text fileDateYMD;
    uint32_t duration = 0;
    uint32_t timescale = 0;
    uint32_t duration_second = 0;
    uint32_t gapSubtitlePerSecond = 0;
    uint32_t lastPosition = 0;
    Text Start_Lat, Start_Lon;
    Text End_Lat, End_Lon;
    Text Center_Lat, Center_Lon;
    uint32_t sign_start_lat = 0, sign_start_lon = 0;
    uint32_t sign_end_lat = 0, sign_end_lon = 0;
    uint32_t sign_center_lat = 0, sign_center_lon = 0;
    uint32_t sign_maintain_lat = 0, sign_maintain_lon = 0;
    std::optional<std::chrono::system_clock::time_point> fileDate;
    uint32_t fileSize = 0;
    uint32_t addrOfmoov = 0;
    uint32_t addrOfAmbarella_EXT = 0;
    uint32_t addrOfMVHD = 0;
    uint32_t addrOfSTSZ = 0;
    uint32_t addrOfSTCO = 0;
    uint32_t num_subtitle = 0;
    std::optional<DecimalList> array_addrOfSubtitle;
    std::optional<DecimalList> array_lengthOfSubtitle;
    std::optional<TextList> array_subtitle_final;
    List<Class_Subtitle_Info> array_SubtileInfo;
    List<std::string> array_coordinate_set;
    uint8_t isSupportSubtitle = 0;

    bool operator==(const Class_Video_Info&) const = default;
};

}  // namespace telemetry
