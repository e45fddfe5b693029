#pragma once
// Cards as cameras of several families lay them out: folders by kind, a file per
// channel, chapters. The front (or only) channel carries the camera's telemetry; the
// rear one is a playable video of its own picture and nothing else.

#include <string>
#include <string_view>
#include <vector>

namespace testgen {

enum class CardFamily {
    Novatek,     // DCIM/Movie/…_0001F.MP4 and …R.MP4, protected events in DCIM/Movie/RO, DCIM/Movie/Parking
    BlackVue,    // Record/…_NF.mp4 and _NR, _EF and _ER, _PF
    SeventyMai,  // Normal, Event, Parking, each with Front and Back (…F.MP4, …B.MP4 a second later)
    GoPro,       // DCIM/100GOPRO/GX010001.MP4, GX020001.MP4, …: a recording cut into chapters
};

// "novatek", "blackvue", "70mai", "gopro"; throws std::invalid_argument for anything else.
CardFamily cardFamilyNamed(std::string_view name);

// One drive cut into recordings of `seconds` each: two normal ones, a protected
// event (a pothole in it) and, a minute later, a parking recording; each but the
// parking one with a rear channel. A GoPro card has the drive as three chapters of
// one recording and the last as a recording of its own, without channels.
// Built in a hidden folder beside dir and renamed at the end; throws
// std::runtime_error when dir exists and is not empty or a file cannot be made.
void writeCard(const std::string& dir, CardFamily family, int seconds = 3);

}  // namespace testgen
