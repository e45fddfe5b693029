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

QString overlayText(const telemetry::Sample& sample, int64_t speedUnit) {
    QStringList parts;
    if (const auto time = trips::cameraTime(sample))
        parts << QString::fromStdString(trips::cameraTimeText(*time)).replace('T', ' ');
    if (const auto& kmh = sample.speedKmh)
        parts << QString("%1 %2").arg(std::lround(trips::speedInUnit(*kmh, speedUnit)))
                     .arg(QString::fromLatin1(trips::speedUnitName(speedUnit).data(),
                                              qsizetype(trips::speedUnitName(speedUnit).size())));
    const auto& g = sample.g;
    if (g[0] && g[1] && g[2])
        parts << QString("G %1 %2 %3").arg(*g[0], 0, 'f', 2).arg(*g[1], 0, 'f', 2).arg(*g[2], 0, 'f', 2);
    return parts.join("  ");
}

QString overlayScript(const std::vector<ClipPiece>& pieces, const std::vector<std::vector<telemetry::Sample>>& samples,
                      int64_t speedUnit) {
    QString script = QString::fromLatin1(kHeader);
    double pieceStart = 0;  // on the clip's timeline
    for (const ClipPiece& piece : pieces) {
        static const std::vector<telemetry::Sample> kNone;
        const auto& own = piece.file < samples.size() ? samples[piece.file] : kNone;
        for (size_t n = 0; n < own.size(); ++n) {
            const double from = own[n].videoSeconds;
            const double to = n + 1 < own.size() ? own[n + 1].videoSeconds : from + 1;
            if (to <= piece.in || from >= piece.out) continue;
            const double start = pieceStart + std::max(from, piece.in) - piece.in;
            const double end = pieceStart + std::min(to, piece.out) - piece.in;
            const QString text = overlayText(own[n], speedUnit);
            if (text.isEmpty() || end <= start) continue;
            script += QString("Dialogue: 0,%1,%2,Overlay,,0,0,0,,%3\n").arg(assTime(start), assTime(end), text);
        }
        pieceStart += piece.out - piece.in;
    }
    return script;
}

}  // namespace clips
