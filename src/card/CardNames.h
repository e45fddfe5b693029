#pragma once
// What a camera says about a recording by where it puts it and how it names it:
// its kind, its channel and its start time. Pure functions of the path relative to
// the opened folder.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace card {

// Normal: continuous loop recording; Event: protected from being overwritten (a
// jolt or the button); Parking: recorded while parked; Manual: the driver's own.
enum class Kind { Unknown, Normal, Event, Parking, Manual };
enum class Channel { Front, Rear, Interior };

std::string_view kindName(Kind kind);        // "normal", "event", "parking", "manual"; "" when unknown
std::string_view channelName(Channel channel);  // "front", "rear", "interior"

std::string upperCase(std::string_view text);  // ASCII only: names on cards are

// From BlackVue's letters before the channel (_NF, _EF, _PF, _MF) or else the
// innermost folder that names a kind (Normal, Event, Parking, DCIM/Movie/RO, cont_rec,
// evt_rec, parking_rec, manual_rec, ...).
Kind kindOf(std::string_view relativePath);

// The kind a folder of this name holds (Normal, RO, evt_rec, ...); Unknown for any other.
Kind folderKind(std::string_view name);
// Whether a folder of this name holds one channel (Front, Back, ...).
bool isChannelFolder(std::string_view name);

struct ChannelMark {
    Channel channel = Channel::Front;
    bool marked = false;  // by the name or a folder; unmarked files count as front
    // Equal for the channels of one moment named alike: the path with the channel
    // letter and the channel folders taken out.
    std::string pairing;
    // The folder the recording is in, channel folders taken out: files of different
    // folders (a normal and an event recording) are never one moment.
    std::string place;
};

// The channel from the name's last letter (…0001F/R/I, BlackVue's _NF/_NR/_NI,
// _F/_R/_I/_B, 70mai's …B for the back camera) or else from a Front, Back, Rear,
// Inside, Interior or Cabin folder.
ChannelMark channelOf(std::string_view relativePath);

// The start time a camera writes into the name (2024_0101_120000, 20240101_120000,
// 20240101-120000), as seconds since 1970 on the camera's clock; none when the name
// carries no valid date and time.
std::optional<int64_t> nameTime(std::string_view fileName);

}  // namespace card
