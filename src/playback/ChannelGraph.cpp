#include "ChannelGraph.h"

#include <QByteArrayList>
#include <algorithm>
#include <cmath>

namespace {

int even(double v) { return std::max(2, int(std::lround(v / 2)) * 2); }

QByteArray number(int v) { return QByteArray::number(v); }

// The channels' indexes, large first: the order they are stacked and laid over.
std::vector<int> stackOrder(size_t count, int large) {
    std::vector<int> order{large};
    for (int i = 0; i < int(count); ++i)
        if (i != large) order.push_back(i);
    return order;
}

}  // namespace

ChannelPlaces channelPlaces(const std::vector<ChannelTrack>& channels, ChannelLayout layout, int large) {
    if (channels.size() < 2 || large < 0 || large >= int(channels.size())) return {};
    for (const ChannelTrack& t : channels)
        if (t.width <= 0 || t.height <= 0) return {};
    const std::vector<int> order = stackOrder(channels.size(), large);
    const ChannelTrack& big = channels[size_t(large)];
    const int w = even(big.width), h = even(big.height);
    ChannelPlaces result;
    result.places.resize(channels.size());
    if (layout == ChannelLayout::SideBySide) {
        int x = 0;
        for (const int i : order) {
            const ChannelTrack& t = channels[size_t(i)];
            const int sw = even(double(t.width) * h / t.height);
            result.places[size_t(i)] = QRect(x, 0, sw, h);
            x += sw;
        }
        result.frame = QSize(x, h);
        return result;
    }
    // Small pictures a quarter of the large one's width, side by side from its bottom right corner.
    const int margin = even(w / 64.0), pw = even(w / 4.0);
    result.places[size_t(large)] = QRect(0, 0, w, h);
    for (size_t k = 1; k < order.size(); ++k) {
        const ChannelTrack& t = channels[size_t(order[k])];
        const int ph = even(double(t.height) * pw / t.width);
        result.places[size_t(order[k])] = QRect(w - int(k) * (pw + margin), h - ph - margin, pw, ph);
    }
    result.frame = QSize(w, h);
    return result;
}

QByteArray channelGraph(const std::vector<ChannelTrack>& channels, ChannelLayout layout, int large) {
    const ChannelPlaces places = channelPlaces(channels, layout, large);
    if (places.places.empty()) return {};
    const std::vector<int> order = stackOrder(channels.size(), large);
    const auto input = [&](int i) { return "[vid" + number(channels[size_t(i)].id) + "]"; };
    const auto size = [&](int i) {
        const QRect& r = places.places[size_t(i)];
        return number(r.width()) + ":" + number(r.height());
    };
    QByteArrayList parts;
    if (layout == ChannelLayout::SideBySide) {
        QByteArray stack;
        for (size_t k = 0; k < order.size(); ++k) {
            const QByteArray label = "[s" + number(int(k)) + "]";
            parts << input(order[k]) + "scale=" + size(order[k]) + ",setsar=1" + label;
            stack += label;
        }
        parts << stack + "hstack=inputs=" + number(int(order.size())) + "[vo]";
        return parts.join(';');
    }
    parts << input(order[0]) + "scale=" + size(order[0]) + ",setsar=1[b0]";
    for (size_t k = 1; k < order.size(); ++k) {
        const QByteArray n = number(int(k));
        const QRect& r = places.places[size_t(order[k])];
        parts << input(order[k]) + "scale=" + size(order[k]) + "[p" + n + "]";
        parts << "[b" + number(int(k) - 1) + "][p" + n + "]overlay=" + number(r.x()) + ":" + number(r.y()) +
                     (k + 1 == order.size() ? "[vo]" : "[b" + n + "]");
    }
    return parts.join(';');
}

int channelAt(const ChannelPlaces& places, QPointF point) {
    int under = -1;  // the large picture, under every small one
    for (int i = 0; i < int(places.places.size()); ++i) {
        const QRect& r = places.places[size_t(i)];
        if (!QRectF(r).contains(point)) continue;
        if (r != QRect(QPoint(), places.frame)) return i;
        under = i;
    }
    return under;
}

std::optional<QPointF> pictureAt(QSizeF area, QSize picture, QPointF point) {
    if (area.isEmpty() || picture.isEmpty()) return std::nullopt;
    const double scale = std::min(area.width() / picture.width(), area.height() / picture.height());
    const QPointF origin((area.width() - picture.width() * scale) / 2, (area.height() - picture.height() * scale) / 2);
    const QPointF at = (point - origin) / scale;
    if (at.x() < 0 || at.y() < 0 || at.x() >= picture.width() || at.y() >= picture.height()) return std::nullopt;
    return at;
}
