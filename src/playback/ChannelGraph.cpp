#include "ChannelGraph.h"

#include <QByteArrayList>
#include <cmath>

namespace {

int even(double v) { return std::max(2, int(std::lround(v / 2)) * 2); }

QByteArray input(const ChannelTrack& t) { return "[vid" + QByteArray::number(t.id) + "]"; }

}  // namespace

QByteArray channelGraph(const std::vector<ChannelTrack>& channels, ChannelLayout layout, int large) {
    if (channels.size() < 2 || large < 0 || large >= int(channels.size())) return {};
    for (const ChannelTrack& t : channels)
        if (t.width <= 0 || t.height <= 0) return {};
    std::vector<ChannelTrack> order{channels[size_t(large)]};
    for (int i = 0; i < int(channels.size()); ++i)
        if (i != large) order.push_back(channels[size_t(i)]);
    const int w = even(order[0].width), h = even(order[0].height);
    QByteArrayList parts;
    if (layout == ChannelLayout::SideBySide) {
        QByteArray stack;
        for (size_t i = 0; i < order.size(); ++i) {
            const QByteArray label = "[s" + QByteArray::number(qsizetype(i)) + "]";
            const int sw = even(double(order[i].width) * h / order[i].height);
            parts << input(order[i]) + "scale=" + QByteArray::number(sw) + ":" + QByteArray::number(h) + ",setsar=1" + label;
            stack += label;
        }
        parts << stack + "hstack=inputs=" + QByteArray::number(qsizetype(order.size())) + "[vo]";
        return parts.join(';');
    }
    // Small pictures a quarter of the large one's width, side by side from its bottom right corner.
    const int margin = even(w / 64.0), pw = even(w / 4.0);
    parts << input(order[0]) + "scale=" + QByteArray::number(w) + ":" + QByteArray::number(h) + ",setsar=1[b0]";
    for (size_t i = 1; i < order.size(); ++i) {
        const QByteArray n = QByteArray::number(qsizetype(i));
        const int ph = even(double(order[i].height) * pw / order[i].width);
        const int x = w - int(i) * (pw + margin), y = h - ph - margin;
        parts << input(order[i]) + "scale=" + QByteArray::number(pw) + ":" + QByteArray::number(ph) + "[p" + n + "]";
        parts << "[b" + QByteArray::number(qsizetype(i - 1)) + "][p" + n + "]overlay=" + QByteArray::number(x) + ":" +
                     QByteArray::number(y) + (i + 1 == order.size() ? "[vo]" : "[b" + n + "]");
    }
    return parts.join(';');
}
