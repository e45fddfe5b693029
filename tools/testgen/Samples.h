#pragma once
// The sample recordings a new user's first run opens: five playable recordings of
// one continuous drive (one trip), each picking up where the previous one stopped,
// with a hard braking and a pothole in it: three by the text-track camera, then one
// by a GoPro and one by a Novatek camera, as a card of mixed cameras holds them.

#include <string>
#include <vector>

#include "Drive.h"

namespace testgen {

struct SampleRecording {
    enum Camera { TextTrack, GoPro, Novatek };
    const char* name;
    int seconds;
    Camera camera = TextTrack;
};

inline const std::vector<SampleRecording> kSampleRecordings = {{"REC_0001.MP4", 20},
                                                               {"REC_0002.MP4", 30},
                                                               {"REC_0003.MP4", 15},
                                                               {"REC_0004.MP4", 15, SampleRecording::GoPro},
                                                               {"REC_0005.MP4", 15, SampleRecording::Novatek}};

// A hard braking in the second recording, a pothole in the third (drive seconds).
inline const std::vector<Incident> kSampleIncidents = {{Incident::Braking, 32}, {Incident::Pothole, 56}};

// Makes dir with the recordings in it. Built in a hidden folder beside dir and
// renamed at the end, so dir never exists half-made. Throws std::runtime_error when
// dir already exists (and is not empty) or a recording cannot be made.
void writeSampleRecordings(const std::string& dir);

}  // namespace testgen
