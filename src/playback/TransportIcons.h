#pragma once
// The control bar's icons, drawn in a colour of the palette so that they read on
// a dark theme as on a light one (the style's stock pixmaps are black).

#include <QColor>
#include <QIcon>

enum class TransportIcon { Play, Pause, StepBack, StepForward, Previous, Next, FullScreen, Volume, Muted };

// An icon of `size` pixels square (and twice that for high-density screens).
QIcon transportIcon(TransportIcon kind, const QColor& colour, int size = 16);
