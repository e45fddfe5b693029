#pragma once
// The picture of a moment's channels composed in one mpv filter graph, so that every
// channel is decoded on the one clock of the recording played: seeks, steps, speed and
// pauses reach all of them, and none can drift.

#include <QByteArray>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <optional>
#include <vector>

enum class ChannelLayout { PictureInPicture, SideBySide };

struct ChannelTrack {
    int id = 0;  // mpv's video track number (vidN)
    int width = 0, height = 0;
};

// Where each channel shows in the composed picture, by the channels' order, and that
// picture's size: channel `large` large and the others small in its bottom right corner,
// or all side by side at its height, large first. Empty for one channel (nothing to
// compose) or a size unknown.
struct ChannelPlaces {
    QSize frame;
    std::vector<QRect> places;
};
ChannelPlaces channelPlaces(const std::vector<ChannelTrack>& channels, ChannelLayout layout, int large);

// mpv's lavfi-complex text putting the channels at their places; empty when there are none.
QByteArray channelGraph(const std::vector<ChannelTrack>& channels, ChannelLayout layout, int large);

// The channel whose picture is at a point of the composed picture (a small one over the
// large one); -1 outside every picture.
int channelAt(const ChannelPlaces& places, QPointF point);

// A point of an area showing a picture of that size scaled to fit and centred, as mpv shows
// it, as the point of the picture there; none on the bars beside it.
std::optional<QPointF> pictureAt(QSizeF area, QSize picture, QPointF point);
