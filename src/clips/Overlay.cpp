#include "Overlay.h"

#include <algorithm>
#include <cmath>

#include <QStringList>

#include "SampleValues.h"
#include "Units.h"

namespace clips {
namespace {

// h:mm:ss.cc, the only time form ASS reads.
QString assTime(double seconds) {
    const qint64 cs = qint64(std::llround(std::max(0.0, seconds) * 100));
    return QString("%1:%2:%3.%4")
        .arg(cs / 360000)
        .arg(cs / 6000 % 60, 2, 10, QChar('0'))
        .arg(cs / 100 % 60, 2, 10, QChar('0'))
        .arg(cs % 100, 2, 10, QChar('0'));
}

// Fixed script size: libass scales it to whatever the video is.
constexpr char kHeader[] = R"([Script Info]
ScriptType: v4.00+
PlayResX: 384
PlayResY: 288
WrapStyle: 2

[V4+ Styles]
Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding
Style: Overlay,DejaVu Sans Mono,13,&H00FFFFFF,&H00FFFFFF,&H80000000,&H80000000,0,0,0,0,100,100,0,0,3,2,0,1,6,6,6,1

[Events]
Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text
)";

}  // namespace

QString overlayText(const telemetry::Class_Subtitle_Info& sample, int64_t speedUnit) {
    QStringList parts;
    if (const auto time = trips::cameraTime(sample))
        parts << QString::fromStdString(trips::cameraTimeText(*time)).replace('T', ' ');
    if (const auto kmh = trips::speedKmh(sample))
        parts << QString("%1 %2").arg(std::lround(trips::speedInUnit(*kmh, speedUnit)))
                     .arg(QString::fromLatin1(trips::speedUnitName(speedUnit).data(),
                                              qsizetype(trips::speedUnitName(speedUnit).size())));
    const auto g = trips::gForces(sample);
    if (std::all_of(g.begin(), g.end(), [](double v) { return std::isfinite(v); }))
        parts << QString("G %1 %2 %3").arg(g[0], 0, 'f', 2).arg(g[1], 0, 'f', 2).arg(g[2], 0, 'f', 2);
    return parts.join("  ");
}

QString overlayScript(const std::vector<ClipPiece>& pieces,
                      const std::vector<std::vector<telemetry::Class_Subtitle_Info>>& samples, int64_t speedUnit) {
    QString script = QString::fromLatin1(kHeader);
    double pieceStart = 0;  // on the clip's timeline
    for (const ClipPiece& piece : pieces) {
        const auto& own = piece.file < samples.size() ? samples[piece.file]
                                                      : std::vector<telemetry::Class_Subtitle_Info>{};
        for (size_t n = size_t(std::max(0.0, std::floor(piece.in))); n < own.size() && double(n) < piece.out; ++n) {
            const double start = pieceStart + std::max(double(n), piece.in) - piece.in;
            const double end = pieceStart + std::min(double(n + 1), piece.out) - piece.in;
            const QString text = overlayText(own[n], speedUnit);
            if (text.isEmpty() || end <= start) continue;
            script += QString("Dialogue: 0,%1,%2,Overlay,,0,0,0,,%3\n").arg(assTime(start), assTime(end), text);
        }
        pieceStart += piece.out - piece.in;
    }
    return script;
}

}  // namespace clips
