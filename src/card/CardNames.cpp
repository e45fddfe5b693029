#include "CardNames.h"

#include <array>
#include <map>
#include <vector>

namespace card {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<Channel> channelLetter(char upper) {
    switch (upper) {
        case 'F': return Channel::Front;
        case 'R':
        case 'B': return Channel::Rear;
        case 'I': return Channel::Interior;
        default: return std::nullopt;
    }
}

std::optional<Channel> channelFolder(std::string_view name) {
    static const std::map<std::string, Channel, std::less<>> kFolders = {
        {"FRONT", Channel::Front},       {"BACK", Channel::Rear},         {"REAR", Channel::Rear},
        {"INSIDE", Channel::Interior},   {"INTERIOR", Channel::Interior}, {"CABIN", Channel::Interior}};
    const auto found = kFolders.find(upperCase(name));
    return found == kFolders.end() ? std::nullopt : std::optional(found->second);
}

struct PathParts {
    std::vector<std::string_view> folders;
    std::string_view stem, extension;  // the extension with its dot
};

PathParts split(std::string_view path) {
    PathParts parts;
    size_t slash;
    while ((slash = path.find('/')) != std::string_view::npos) {
        if (slash > 0) parts.folders.push_back(path.substr(0, slash));
        path.remove_prefix(slash + 1);
    }
    const size_t dot = path.rfind('.');
    parts.stem = path.substr(0, dot);
    parts.extension = dot == std::string_view::npos ? std::string_view() : path.substr(dot);
    return parts;
}

// BlackVue's "_NF": the kind letter, then the channel letter, at the end of the name.
bool isBlackVueTail(const std::string& upperStem) {
    const size_t n = upperStem.size();
    return n >= 3 && upperStem[n - 3] == '_' && std::string_view("NEPM").find(upperStem[n - 2]) != std::string_view::npos &&
           std::string_view("FRI").find(upperStem[n - 1]) != std::string_view::npos;
}

int number(std::string_view digits) {
    int value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
}

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
int64_t daysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// YYYY[sep]MMDD[sep]HHMMSS from `at`, sep being "_" or "-", digits on neither side.
std::optional<int64_t> timeAt(std::string_view name, size_t at) {
    if (at > 0 && isDigit(name[at - 1])) return std::nullopt;
    std::array<std::string_view, 3> fields;
    const std::array<size_t, 3> widths = {4, 4, 6};
    size_t i = at;
    for (size_t f = 0; f < fields.size(); ++f) {
        if (f > 0 && i < name.size() && (name[i] == '_' || name[i] == '-')) ++i;
        if (i + widths[f] > name.size()) return std::nullopt;
        fields[f] = name.substr(i, widths[f]);
        for (char c : fields[f])
            if (!isDigit(c)) return std::nullopt;
        i += widths[f];
    }
    if (i < name.size() && isDigit(name[i])) return std::nullopt;
    const int year = number(fields[0]), month = number(fields[1].substr(0, 2)), day = number(fields[1].substr(2));
    const int hour = number(fields[2].substr(0, 2)), minute = number(fields[2].substr(2, 2)),
              second = number(fields[2].substr(4));
    if (year < 1990 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    return daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

}  // namespace

std::string_view kindName(Kind kind) {
    switch (kind) {
        case Kind::Normal: return "normal";
        case Kind::Event: return "event";
        case Kind::Parking: return "parking";
        case Kind::Manual: return "manual";
        case Kind::Unknown: break;
    }
    return "";
}

std::string_view channelName(Channel channel) {
    switch (channel) {
        case Channel::Front: return "front";
        case Channel::Rear: return "rear";
        case Channel::Interior: return "interior";
    }
    return "";
}

std::string upperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return out;
}

Kind kindOf(std::string_view relativePath) {
    const PathParts parts = split(relativePath);
    const std::string stem = upperCase(parts.stem);
    if (isBlackVueTail(stem)) {
        switch (stem[stem.size() - 2]) {
            case 'N': return Kind::Normal;
            case 'E': return Kind::Event;
            case 'P': return Kind::Parking;
            default: return Kind::Manual;
        }
    }
    for (auto folder = parts.folders.rbegin(); folder != parts.folders.rend(); ++folder)
        if (const Kind kind = folderKind(*folder); kind != Kind::Unknown) return kind;
    return Kind::Unknown;
}

Kind folderKind(std::string_view name) {
    static const std::map<std::string, Kind, std::less<>> kFolders = {
        {"NORMAL", Kind::Normal},    {"CONT_REC", Kind::Normal},     {"MOVIE", Kind::Normal},
        {"CONTINUOUS", Kind::Normal}, {"LOOP", Kind::Normal},         {"EVENT", Kind::Event},
        {"EVT_REC", Kind::Event},    {"RO", Kind::Event},            {"EMR", Kind::Event},
        {"EMERGENCY", Kind::Event},  {"PROTECT", Kind::Event},       {"PROTECTED", Kind::Event},
        {"LOCK", Kind::Event},       {"LOCKED", Kind::Event},        {"SOS", Kind::Event},
        {"PARKING", Kind::Parking},  {"PARKING_REC", Kind::Parking}, {"PARK", Kind::Parking},
        {"MANUAL", Kind::Manual},    {"MANUAL_REC", Kind::Manual}};
    const auto found = kFolders.find(upperCase(name));
    return found == kFolders.end() ? Kind::Unknown : found->second;
}

bool isChannelFolder(std::string_view name) { return channelFolder(name).has_value(); }

ChannelMark channelOf(std::string_view relativePath) {
    const PathParts parts = split(relativePath);
    ChannelMark mark;
    std::optional<Channel> byFolder;
    for (std::string_view folder : parts.folders) {
        if (const auto channel = channelFolder(folder)) {
            byFolder = channel;
            continue;
        }
        if (!mark.place.empty()) mark.place += '/';
        mark.place += folder;
    }
    const std::string stem = upperCase(parts.stem);
    const size_t n = stem.size();
    std::string_view paired = parts.stem;
    // The letter counts after a digit or a separator only, so that a name merely
    // ending in F (…_CLIF) is not taken for a channel.
    if (n >= 2 && (isDigit(stem[n - 2]) || stem[n - 2] == '_' || stem[n - 2] == '-' || isBlackVueTail(stem)))
        if (const auto channel = channelLetter(stem[n - 1])) {
            mark.channel = *channel;
            mark.marked = true;
            paired.remove_suffix(1);
        }
    if (!mark.marked && byFolder) {
        mark.channel = *byFolder;
        mark.marked = true;
    }
    mark.pairing = mark.place;
    mark.pairing.append("/").append(paired);
    std::string extension(parts.extension);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    mark.pairing += extension;
    return mark;
}

std::optional<int64_t> nameTime(std::string_view fileName) {
    for (size_t at = 0; at + 14 <= fileName.size(); ++at)
        if (const auto time = timeAt(fileName, at)) return time;
    return std::nullopt;
}

}  // namespace card
