#pragma once
// Thinning a chart series to what a plot of a given width can show.

#include <vector>

struct PlotPoint {
    float x;  // the sample's position in the table
    float y;  // the axis reading
};

// The points of a series (in increasing x) reduced for a plot `columns` pixels wide
// over xMin..xMax: in each pixel column the lowest and the highest point, in their
// order along x, so a spike of a single sample still reaches its height. A series
// that already has no more than two points per column is kept whole.
std::vector<PlotPoint> decimateMinMax(const std::vector<PlotPoint>& points, double xMin, double xMax, int columns);
