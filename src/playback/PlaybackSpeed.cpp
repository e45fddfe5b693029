#include "PlaybackSpeed.h"

#include <algorithm>

double steppedSpeed(double current, int steps) {
    const int last = int(kPlaybackSpeeds.size()) - 1;
    // The rung at or below current; going up from between rungs counts from there.
    int rung = 0;
    while (rung < last && kPlaybackSpeeds[size_t(rung + 1)] <= current) ++rung;
    // Between rungs the lower one is the first step down; below the ladder its
    // foot is the first step up.
    if (steps < 0 && kPlaybackSpeeds[size_t(rung)] < current) ++steps;
    if (steps > 0 && kPlaybackSpeeds[size_t(rung)] > current) --steps;
    return kPlaybackSpeeds[size_t(std::clamp(rung + steps, 0, last))];
}

QString speedText(double speed) { return QString::number(speed, 'g', 3) + QLatin1Char('x'); }
