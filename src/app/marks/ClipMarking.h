#pragma once
// The clip marks (In, Out, the span around an event) and the events list that proposes them.

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "ClipMarks.h"

class ChartInteraction;
class DriveIndex;
class MarkedSlider;
class QListWidget;
class RecordingLibrary;

class ClipMarking : public QObject {
    Q_OBJECT
public:
    // What the marking reads of the window, without reaching into it.
    struct Sources {
        // The playback position of the open recording, in seconds; none while nothing plays.
        std::function<std::optional<double>()> position;
        std::function<int64_t()> speedUnit;  // the events' speeds are shown in it
    };
    // Where the marks are drawn: the slider in milliseconds, the chart in seconds.
    struct Surfaces {
        MarkedSlider* slider = nullptr;
        ChartInteraction* chart = nullptr;
    };

    ClipMarking(const RecordingLibrary& library, const DriveIndex& drives, QListWidget* events, Sources sources,
                Surfaces surfaces, QObject* parent = nullptr);

    const std::optional<clips::TimelineMark>& in() const { return in_; }
    const std::optional<clips::TimelineMark>& out() const { return out_; }
    // Puts marks as given, unchecked: a span restored or handed over whole.
    void setMarks(std::optional<clips::TimelineMark> in, std::optional<clips::TimelineMark> out);

    // In or Out at the playback position; refused (see refused) when nothing plays
    // or the mark would be on the wrong side of the other.
    void placeMark(bool in);
    void clearMarks();
    // The span around an event, running on into the recordings either side of its trip.
    void proposeEventSpan(int32_t row, double videoSeconds);
    // Draws the marks that fall in the open recording; none when nothing is open.
    void showMarks();

    void showEvents();  // the whole list afresh (a new unit, new thresholds)
    // The events of the summaries made since the list was last filled. A batch only
    // adds recordings, so the list, and what the user chose in it, stays.
    void eventsAdded();
    // Nothing listed and nothing marked, as at start.
    void clear();

signals:
    // The user clicked an event: the window plays from around it.
    void eventChosen(int32_t row, double videoSeconds);
    void refused(const QString& message);

private:
    void listEvents(size_t fromSummary);
    double rowSeconds(int32_t row) const;

    const RecordingLibrary& library_;
    const DriveIndex& drives_;
    QListWidget* events_;
    Sources sources_;
    Surfaces surfaces_;
    std::optional<clips::TimelineMark> in_, out_;
    size_t eventsListedFor_ = 0;  // the summaries whose events the list holds
};
