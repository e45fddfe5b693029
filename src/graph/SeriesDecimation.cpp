#include "SeriesDecimation.h"

#include <algorithm>
#include <cmath>

std::vector<PlotPoint> decimateMinMax(const std::vector<PlotPoint>& points, double xMin, double xMax, int columns) {
    if (columns < 1 || xMax <= xMin || points.size() <= size_t(columns) * 2) return points;
    std::vector<PlotPoint> out;
    out.reserve(size_t(columns) * 2);
    const double perUnit = columns / (xMax - xMin);
    auto columnOf = [&](double x) { return std::clamp(int(std::floor((x - xMin) * perUnit)), 0, columns - 1); };
    size_t i = 0;
    while (i < points.size()) {
        const int column = columnOf(points[i].x);
        size_t low = i, high = i;
        for (++i; i < points.size() && columnOf(points[i].x) == column; ++i) {
            if (points[i].y < points[low].y) low = i;
            if (points[i].y > points[high].y) high = i;
        }
        out.push_back(points[std::min(low, high)]);
        if (low != high) out.push_back(points[std::max(low, high)]);
    }
    return out;
}
