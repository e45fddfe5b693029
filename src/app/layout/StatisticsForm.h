#pragma once
// The statistics of the open recording and of its trip, as a small form of named values with units.

#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <optional>

#include "Statistics.h"

class QGridLayout;
class QLabel;

// (name, value with its unit) of each line, in the settings' units (PresetDistanceUnit,
// PresetSpeedUnit): "Distance", "0.32 mi".
QList<QPair<QString, QString>> statisticsLines(const trips::Statistics& statistics, int64_t distanceUnit, int64_t speedUnit);

class StatisticsForm : public QWidget {
    Q_OBJECT
public:
    explicit StatisticsForm(QWidget* parent = nullptr);

    // The recording's column, and its trip's (titled by the trip's number) when it has one.
    void setStatistics(const trips::Statistics& recording, const std::optional<std::pair<int, trips::Statistics>>& trip,
              int64_t distanceUnit, int64_t speedUnit);
    void clear();
    // What the form shows, a line each, its cells joined by tabs; empty when it shows nothing.
    QStringList lines() const;

private:
    QLabel* cell(int row, int column);
    QGridLayout* grid_;
};
