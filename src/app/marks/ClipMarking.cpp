#include "ClipMarking.h"

#include <QListWidget>
#include <cmath>
#include <tuple>

#include "ChartInteraction.h"
#include "DriveIndex.h"
#include "MarkedSlider.h"
#include "RecordingLibrary.h"
#include "SpanMarks.h"

ClipMarking::ClipMarking(const RecordingLibrary& library, const DriveIndex& drives, QListWidget* events, Sources sources,
                         Surfaces surfaces, QObject* parent)
    : QObject(parent),
      library_(library),
      drives_(drives),
      events_(events),
      sources_(std::move(sources)),
      surfaces_(surfaces) {
    events_->setAccessibleName(tr("Events"));
    connect(events_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int32_t row = item->data(Qt::UserRole).toInt();
        const double seconds = item->data(Qt::UserRole + 1).toDouble();
        proposeEventSpan(row, seconds);
        emit eventChosen(row, seconds);
    });
}

void ClipMarking::setMarks(std::optional<clips::TimelineMark> in, std::optional<clips::TimelineMark> out) {
    in_ = in, out_ = out;
    showMarks();
}

double ClipMarking::rowSeconds(int32_t row) const {
    const telemetry::Class_Video_Info& record = *library_.currentStorageVideo.video_list.at(row);
    return record.timescale ? double(record.duration) / record.timescale : double(record.duration_second);
}

void ClipMarking::placeMark(bool in) {
    const int32_t row = library_.currentStorageVideo.indexOfNowPlaying;
    const std::optional<double> at = sources_.position();
    if (!at || row < 0) {
        emit refused(tr("Nothing is playing to mark."));
        return;
    }
    if (!clips::placeMark(in_, out_, in, {row, *at})) {
        emit refused(in ? tr("In must come before Out: mark not placed.") : tr("Out must come after In: mark not placed."));
        return;
    }
    showMarks();
}

void ClipMarking::clearMarks() {
    in_.reset(), out_.reset();
    showMarks();
}

void ClipMarking::proposeEventSpan(int32_t row, double videoSeconds) {
    if (!library_.isRowIndexed(row) || row >= library_.currentStorageVideo.video_list.size()) return;
    const trips::Trip* trip = drives_.tripOf(row);
    auto lengthIfSameTrip = [&](int32_t other) -> std::optional<double> {
        if (!trip || other < int32_t(trip->firstRecording) || other >= int32_t(trip->firstRecording + trip->recordings) ||
            !library_.isRowIndexed(other))
            return std::nullopt;
        return rowSeconds(other);
    };
    std::tie(in_, out_) =
        clips::eventSpan(row, videoSeconds, rowSeconds(row), lengthIfSameTrip(row - 1), lengthIfSameTrip(row + 1));
    showMarks();
}

void ClipMarking::showMarks() {
    const int32_t row = library_.currentStorageVideo.indexOfNowPlaying;
    const bool open = !library_.currentStorageVideo.filepathOfNowPlaying.isNull() && row >= 0 &&
                      row < library_.currentStorageVideo.video_list.size();
    const clips::RowMarks marks = open ? clips::marksInRow(in_, out_, row, rowSeconds(row)) : clips::RowMarks{};
    auto ms = [](std::optional<double> s) { return s ? std::optional<int>(int(std::lround(*s * 1000))) : std::nullopt; };
    if (surfaces_.slider)
        surfaces_.slider->setMarks(
            ms(marks.in), ms(marks.out),
            marks.span ? std::optional(std::pair{*ms(marks.span->first), *ms(marks.span->second)}) : std::nullopt);
    if (surfaces_.chart) surfaces_.chart->setMarks(marks.in, marks.out, marks.span);
}

void ClipMarking::showEvents() {
    events_->clear();
    eventsListedFor_ = 0;
    listEvents(0);
}

void ClipMarking::eventsAdded() {
    if (drives_.summaries().size() < eventsListedFor_) showEvents();
    else listEvents(eventsListedFor_);
}

void ClipMarking::clear() {
    in_.reset(), out_.reset();
    events_->clear();
    eventsListedFor_ = 0;
    showMarks();
}

void ClipMarking::listEvents(size_t fromSummary) {
    const std::vector<trips::RecordingSummary>& summaries = drives_.summaries();
    const int64_t unit = sources_.speedUnit();
    for (size_t i = fromSummary; i < summaries.size(); ++i)
        for (const trips::Event& e : summaries[i].events) {
            const int row = int(e.recording);
            // Data set before the item joins the list: each setData would lay it out again.
            auto* item = new QListWidgetItem(QStringLiteral("%1  %2  %3")
                                                 .arg(durationText(e.videoSeconds), eventDescription(e, unit),
                                                      library_.arrayTable_Files.value(row)));
            item->setData(Qt::UserRole, row);
            item->setData(Qt::UserRole + 1, e.videoSeconds);
            events_->addItem(item);
        }
    eventsListedFor_ = summaries.size();
}
