#include "Class_Subtitle_Info.h"

#include <stdexcept>

#include "TextValues.h"

namespace telemetry {

std::string Class_Subtitle_Info::ConvertString(std::string_view text) {
    std::string converted;
    if (integerValue(text) < 10) converted = '0';
    return converted.append(text);
}

const SampleText& Class_Subtitle_Info::field(int index) const {
    const SampleText* fields[kFieldCount] = {&gx, &gy, &gz, &lon, &lat, &heading, &speed, &year,
                                       &month, &day, &hour, &min, &second, &NS, &WE};
    if (index < 0 || index >= kFieldCount) throw std::out_of_range("Class_Subtitle_Info field index");
    return *fields[index];
}

SampleText& Class_Subtitle_Info::field(int index) {
    return const_cast<SampleText&>(static_cast<const Class_Subtitle_Info&>(*this).field(index));
}

void Class_Subtitle_Info::setSubtitleInfo(std::string_view text) {
    // Walk the components without building a list: component n ends at the n-th "$".
    size_t start = text.find('$');  // component 0 is not used
    for (int component = 1; component <= kFieldCount; ++component) {
        if (start == std::string_view::npos)
            throw std::out_of_range("telemetry sample has fewer than sixteen components");
        ++start;
        const size_t end = text.find('$', start);
        const std::string_view value = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        SampleText& target = field(component - 1);
        const bool dateOrTime = component >= 8 && component <= 13;
        if (dateOrTime) target = ConvertString(value);
        else target = value;
        start = end;
    }
}

bool hasPositionFix(const Class_Subtitle_Info& sample) { return integerValue(sample.lat.view()) > 0; }

}  // namespace telemetry
