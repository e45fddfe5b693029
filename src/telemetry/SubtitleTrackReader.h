#pragma once
// The "$"-separated text samples of the timed-text track that follows the
// "Ambarella EXT" marker: the scan fills the recording record as it always has,
// then its texts become Samples once.

#include <vector>

#include "Class_Video_Info.h"
#include "Sample.h"
#include "TelemetryReader.h"

namespace telemetry {

// The samples of a completed scan, by the rules the viewer reads the texts with:
// a fix only where positionFix gives one, the date only where it names a real
// instant, numbers only where the text is wholly a finite number. Sample k belongs
// at k * duration_second / num_subtitle seconds of video, where the playback tick
// shows it.
std::vector<Sample> samplesOf(const Class_Video_Info& record);

class SubtitleTrackReader final : public TelemetryReader {
public:
    std::string_view name() const override { return "Ambarella"; }
    bool recognises(const FileBytes& file) const override;
    ReadResult read(const std::string& path) const override;

private:
    friend class ReaderRegistry;
    SubtitleTrackReader() = default;
};

}  // namespace telemetry
