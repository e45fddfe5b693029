#include "StatisticsForm.h"

#include <QGridLayout>
#include <QLabel>
#include <array>

#include "DriveIndex.h"
#include "Units.h"

QList<QPair<QString, QString>> statisticsLines(const trips::Statistics& s, int64_t distanceUnit, int64_t speedUnit) {
    const QString speed = QString::fromLatin1(trips::speedUnitName(speedUnit));
    const auto inSpeedUnit = [&](double kmh) {
        return QStringLiteral("%1 %2").arg(trips::speedInUnit(kmh, speedUnit), 0, 'f', 0).arg(speed);
    };
    return {
        {StatisticsForm::tr("Distance"), QStringLiteral("%1 %2")
                                             .arg(trips::distanceInUnit(s.distanceMetres, distanceUnit), 0, 'f', 2)
                                             .arg(QString::fromLatin1(trips::distanceUnitName(distanceUnit)))},
        {StatisticsForm::tr("Moving time"), durationText(s.movingSeconds)},
        {StatisticsForm::tr("Average speed"), inSpeedUnit(s.averageSpeedKmh())},
        {StatisticsForm::tr("Top speed"), inSpeedUnit(s.maxSpeedKmh)},
        // Gravity alone gives a working sensor a maximum: all three at zero is no sensor.
        {StatisticsForm::tr("Max G"), s.maxAbsG == std::array<double, 3>{0, 0, 0}
                                          ? QStringLiteral("–")
                                          : StatisticsForm::tr("X %1 g Y %2 g Z %3 g")
                                                .arg(s.maxAbsG[0], 0, 'f', 2)
                                                .arg(s.maxAbsG[1], 0, 'f', 2)
                                                .arg(s.maxAbsG[2], 0, 'f', 2)},
        {StatisticsForm::tr("Events"), QString::number(s.events)},
    };
}

StatisticsForm::StatisticsForm(QWidget* parent) : QWidget(parent), grid_(new QGridLayout(this)) {
    grid_->setContentsMargins(0, 0, 0, 0);
    grid_->setHorizontalSpacing(12);
    grid_->setVerticalSpacing(2);
    grid_->setColumnStretch(3, 1);
}

QLabel* StatisticsForm::cell(int row, int column) {
    if (QLayoutItem* item = grid_->itemAtPosition(row, column)) return static_cast<QLabel*>(item->widget());
    auto* label = new QLabel(this);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Names to the right, against their values; the headers bold, as a form's.
    if (column == 0) label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (row == 0) label->setStyleSheet(QStringLiteral("font-weight: bold"));
    grid_->addWidget(label, row, column);
    return label;
}

void StatisticsForm::setStatistics(const trips::Statistics& recording, const std::optional<std::pair<int, trips::Statistics>>& trip,
                          int64_t distanceUnit, int64_t speedUnit) {
    clear();
    cell(0, 1)->setText(tr("Recording"));
    if (trip) cell(0, 2)->setText(tr("Trip %1").arg(trip->first));
    const auto own = statisticsLines(recording, distanceUnit, speedUnit);
    const auto whole = trip ? statisticsLines(trip->second, distanceUnit, speedUnit) : decltype(own){};
    for (int i = 0; i < own.size(); ++i) {
        cell(i + 1, 0)->setText(own[i].first);
        cell(i + 1, 1)->setText(own[i].second);
        if (trip) cell(i + 1, 2)->setText(whole[i].second);
    }
}

void StatisticsForm::clear() {
    for (int i = 0; i < grid_->count(); ++i)
        if (auto* label = qobject_cast<QLabel*>(grid_->itemAt(i)->widget())) label->clear();
}

QStringList StatisticsForm::lines() const {
    QStringList shown;
    for (int row = 0; row < grid_->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < 3; ++column) {
            QLayoutItem* item = grid_->itemAtPosition(row, column);
            cells << (item ? static_cast<QLabel*>(item->widget())->text() : QString());
        }
        while (!cells.isEmpty() && cells.last().isEmpty()) cells.removeLast();
        if (!cells.isEmpty()) shown << cells.join(QLatin1Char('\t'));
    }
    return shown;
}
