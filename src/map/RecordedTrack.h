#pragma once
// The recorded track of a recording: one point per entry of its coordinate set
// ("lat,lon,NS,WE" in ten-thousandths of a degree), in order.

#include <QStringList>

#include "MapInterface.h"

// "S" negates the latitude and "W" the longitude, whatever their sign as read;
// a field that is not a number reads as 0. Entries of fewer than four fields,
// and entries that are no usable position (infinite, or beyond +-90 / +-180
// degrees), are skipped.
MapPolyline recordedTrack(const QStringList& coordinateSet);
