#pragma once
// Which files of an opened folder are recordings: the folder and its subfolders, as
// cameras never write at the root of a card.

#include <string>
#include <string_view>
#include <vector>

namespace card {

// How many folder levels below the opened one are walked: the deepest layout known
// (DCIM/Movie/RO) needs three; more only costs time on a disk that is not a card.
constexpr int kMaxDepth = 5;

// Whether a folder of this name is the file system's or the camera's own and holds
// no recordings (System Volume Information, $RECYCLE.BIN, LOST.DIR, hidden ones).
bool isSkippedFolder(std::string_view name);

// Whether relative path a comes before b in the order rows take: folder by folder,
// names in byte order, except that the chapters of an action camera's recording
// (GX010123, GX020123) follow one another before the next recording (GX010124).
bool comesBefore(std::string_view a, std::string_view b);

// The recordings under folder, as full paths, ordered by comesBefore on their paths
// relative to it. An entry is a recording by its name alone (telemetry::isRecordingName);
// other folders are walked down to kMaxDepth levels, each real folder once
// (a symbolic link back up is not followed again); skipped and unreadable
// folders give nothing. For a folder without subfolders this is its recordings in
// byte order of their names.
std::vector<std::string> recordingsOnCard(const std::string& folder, int maxDepth = kMaxDepth);

}  // namespace card
