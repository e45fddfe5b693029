#pragma once
// The channels of one moment: cameras with a rear (and interior) camera write each
// channel to a file of its own, and a driver wants them as one recording.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "CardNames.h"

namespace card {

// Files of different channels whose start times lie this close are one moment:
// the camera starts its channels' files together, but not in the same second.
constexpr int64_t kSameMomentSeconds = 2;

struct CardFile {
    std::string path;      // as the file system is asked for it
    std::string relative;  // to the opened folder: what kind and channel are read from
    std::optional<int64_t> start;  // seconds on the camera's clock; none when unknown
};

struct ChannelFile {
    Channel channel = Channel::Front;
    std::string path, relative;
};

struct Moment {
    std::vector<ChannelFile> channels;  // front, rear, interior: each at most once
    // The channel with the telemetry, played large: the front camera's when there is
    // one (cameras write the telemetry there), else the only one there is.
    size_t main = 0;
    Kind kind = Kind::Unknown;
    const ChannelFile& mainChannel() const { return channels[main]; }
};

// The order of a card's rows, as indices into files (given in walk order). Walk order
// keeps a camera's kind folders apart (DCIM/Movie, then Movie/Parking, then Movie/RO;
// 70mai's Event before Normal), which would cut a drive where the camera moved a
// protected recording out of it. So the files of one camera folder and its kind and
// channel subfolders (the folder path up to the first folder naming a kind, channel
// folders left out) are merged by their start times: each folder's files
// keep walk order, the next file is the earliest-starting of the folders' next ones,
// and a file without a start time goes when it is the first of them in walk
// order. Such a group takes the place of its first file. A folder alone (a flat folder,
// DCIM/100GOPRO, BlackVue's Record) keeps walk order.
std::vector<size_t> driveOrder(std::span<const CardFile> files);

// Groups a card's files, in walk order, into moments, in driveOrder of their main
// channels. Channels pair when their names (or folders) differ by the channel alone;
// a rear or interior file that does not pair by name joins the front file of the same
// folder that started within kSameMomentSeconds of it, the closest one. Two files of
// one channel are never one moment; a file that pairs with nothing is a moment alone.
std::vector<Moment> groupMoments(std::span<const CardFile> files);

// The start time in the name, else (for a file whose name marks a channel, the only
// ones that may need it for pairing) the movie header's creation time.
std::optional<int64_t> startTime(const std::string& path, std::string_view relative);

// The recordings under folder (recordingsOnCard) as moments.
std::vector<Moment> momentsOnCard(const std::string& folder);

// Each argument that is a folder becomes its moments; anything else is a moment of
// its own, its channel and kind read from its name.
std::vector<Moment> momentsOf(const std::vector<std::string>& arguments);

}  // namespace card
