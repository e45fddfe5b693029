#pragma once
// An image turned about its centre by a number of degrees, counter-clockwise on
// screen for positive angles.

#include <QImage>

// The angle is first reduced to its remainder by 360 (keeping its sign); at 0 the
// image itself is returned (sharing its data). Right angles swap or keep the
// sides; any other angle gets a square canvas of the longer side plus 20, which
// clips the corners of large images.
QImage imageRotated(const QImage& image, float degrees);
