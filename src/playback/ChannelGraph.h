#pragma once
// The picture of a moment's channels composed in one mpv filter graph, so that every
// channel is decoded on the one clock of the recording played: seeks, steps, speed and
// pauses reach all of them, and none can drift.

#include <QByteArray>
#include <vector>

enum class ChannelLayout { PictureInPicture, SideBySide };

struct ChannelTrack {
    int id = 0;  // mpv's video track number (vidN)
    int width = 0, height = 0;
};

// mpv's lavfi-complex text putting channel `large` large and the others small in its
// bottom right corner, or all side by side at its height, large first; empty for one
// channel (nothing to compose) or a size unknown.
QByteArray channelGraph(const std::vector<ChannelTrack>& channels, ChannelLayout layout, int large);
