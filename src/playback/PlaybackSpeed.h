#pragma once
// The playback speeds offered, and stepping between them as mpv's [ and ] do,
// but over a fixed ladder so the speed always reads as one of the menu's.

#include <QString>
#include <array>

inline constexpr std::array<double, 6> kPlaybackSpeeds{0.25, 0.5, 1.0, 1.5, 2.0, 4.0};

// The speed `steps` rungs from current (negative: slower), held at the ends. A
// current speed between rungs goes to the next rung in that direction.
double steppedSpeed(double current, int steps);

// "0.25x", "1x", "1.5x".
QString speedText(double speed);
