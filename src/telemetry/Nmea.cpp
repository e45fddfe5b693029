#include "Nmea.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>

namespace telemetry::nmea {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexDigit(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Digits with at most one point and at least one digit, optionally signed: strtod
// would also take "nan", "inf" and hex, which no receiver writes.
std::optional<double> decimal(std::string_view f, bool mayBeNegative = false) {
    std::string_view digits = f;
    if (mayBeNegative && !digits.empty() && digits[0] == '-') digits.remove_prefix(1);
    if (digits.empty() || digits.size() > 32) return std::nullopt;
    int points = 0, count = 0;
    for (char c : digits) {
        if (c == '.') ++points;
        else if (isDigit(c)) ++count;
        else return std::nullopt;
    }
    if (points > 1 || count == 0) return std::nullopt;
    double v = 0;
    // from_chars takes neither a leading "+" nor a leading ".", so read "0.5" for ".5".
    std::string padded(f.substr(0, f.size() - digits.size()));
    if (digits[0] == '.') padded += '0';
    padded.append(digits);
    const auto [end, error] = std::from_chars(padded.data(), padded.data() + padded.size(), v);
    if (error != std::errc() || end != padded.data() + padded.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<int> whole(std::string_view f, int most) {
    if (f.empty() || f.size() > 4 || !std::ranges::all_of(f, isDigit)) return std::nullopt;
    int v = 0;
    std::from_chars(f.data(), f.data() + f.size(), v);
    if (v > most) return std::nullopt;
    return v;
}

// "hhmmss" with any fraction of a second, rounded to the millisecond.
std::optional<int64_t> timeOfDay(std::string_view f) {
    if (f.size() < 6) return std::nullopt;
    const auto h = whole(f.substr(0, 2), 23), m = whole(f.substr(2, 2), 59), s = whole(f.substr(4, 2), 60);
    if (!h || !m || !s) return std::nullopt;
    int64_t ms = ((*h * 60LL + *m) * 60 + *s) * 1000;
    std::string_view fraction = f.substr(6);
    if (!fraction.empty()) {
        if (fraction[0] != '.' || !std::ranges::all_of(fraction.substr(1), isDigit)) return std::nullopt;
        fraction.remove_prefix(1);
        int64_t scaled = 0;  // the fraction in ten-thousandths, for rounding
        for (size_t i = 0; i < 4; ++i) scaled = scaled * 10 + (i < fraction.size() ? fraction[i] - '0' : 0);
        ms += (scaled + 5) / 10;
    }
    return ms;
}

// "ddmmyy"; two-digit years from 70 are the twentieth century's, as receivers mean them.
std::optional<int64_t> dayNumber(std::string_view f) {
    if (f.size() != 6) return std::nullopt;
    const auto d = whole(f.substr(0, 2), 31), m = whole(f.substr(2, 2), 12), y = whole(f.substr(4, 2), 99);
    if (!d || !m || !y) return std::nullopt;
    using namespace std::chrono;
    const year_month_day date{year(*y + (*y >= 70 ? 1900 : 2000)), month(unsigned(*m)), day(unsigned(*d))};
    if (!date.ok()) return std::nullopt;
    return sys_days(date).time_since_epoch().count();
}

// "DDMM.MMMM" or "DDDMM.MMMM" with its hemisphere letter, as signed degrees.
std::optional<double> coordinate(std::string_view value, std::string_view hemisphere, char positive,
                                 char negative, double most) {
    if (hemisphere.size() != 1 || (hemisphere[0] != positive && hemisphere[0] != negative)) return std::nullopt;
    const size_t point = std::min(value.find('.'), value.size());
    if (point < 3) return std::nullopt;
    const auto degrees = decimal(value.substr(0, point - 2)), minutes = decimal(value.substr(point - 2));
    if (!degrees || !minutes || *minutes >= 60) return std::nullopt;
    const double v = *degrees + *minutes / 60;
    if (v > most) return std::nullopt;
    return hemisphere[0] == negative ? -v : v;
}

std::vector<std::string_view> fieldsOf(std::string_view body) {
    std::vector<std::string_view> fields;
    for (size_t begin = 0;;) {
        const size_t comma = body.find(',', begin);
        fields.push_back(body.substr(begin, comma - begin));
        if (comma == std::string_view::npos) return fields;
        begin = comma + 1;
    }
}

// Address, time, status, lat, N/S, lon, E/W, speed, course, date (then magnetic
// variation and mode, which older receivers leave out).
constexpr size_t kRmcFields = 10;
// Address, time, lat, N/S, lon, E/W, quality, satellites, HDOP, altitude.
constexpr size_t kGgaFields = 10;
constexpr size_t kLongestSentence = 256;

Rmc rmcOf(const std::vector<std::string_view>& f) {
    Rmc r;
    r.timeOfDayMs = *timeOfDay(f[1]);
    r.active = f[2] == "A";
    r.lat = coordinate(f[3], f[4], 'N', 'S', 90);
    r.lon = coordinate(f[5], f[6], 'E', 'W', 180);
    if (!r.lat || !r.lon) r.lat = r.lon = std::nullopt;
    r.speedKnots = decimal(f[7]);
    if (const auto c = decimal(f[8]); c && *c <= 360) r.courseDegrees = c;
    r.dayUtc = dayNumber(f[9]);
    return r;
}

Gga ggaOf(const std::vector<std::string_view>& f) {
    Gga g;
    g.timeOfDayMs = *timeOfDay(f[1]);
    g.lat = coordinate(f[2], f[3], 'N', 'S', 90);
    g.lon = coordinate(f[4], f[5], 'E', 'W', 180);
    if (!g.lat || !g.lon) g.lat = g.lon = std::nullopt;
    g.quality = whole(f[6], 9).value_or(0);
    g.satellites = whole(f[7], 999);
    g.hdop = decimal(f[8]);
    g.altitudeMetres = decimal(f[9], true);
    return g;
}

}  // namespace

Sentence parseSentence(std::string_view text, bool checksumRequired) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' || text.back() == '\0'))
        text.remove_suffix(1);
    // The standard allows 82 characters; receivers' proprietary fields run somewhat
    // longer. Past this it is no sentence, and its fields are not counted out.
    if (text.empty() || text[0] != '$' || text.size() > kLongestSentence) return {};
    text.remove_prefix(1);

    const size_t star = text.find('*');
    const std::string_view body = text.substr(0, star);
    const std::vector<std::string_view> f = fieldsOf(body);
    const std::string_view address = f[0];
    const bool rmc = address.size() == 5 && address.substr(2) == "RMC";
    const bool gga = address.size() == 5 && address.substr(2) == "GGA";
    const size_t needed = rmc ? kRmcFields : gga ? kGgaFields : 1;

    if (star != std::string_view::npos) {
        const std::string_view sum = text.substr(star + 1);
        if (sum.size() < 2 && f.size() < needed) return {Verdict::Cut, {}};
        if (sum.size() != 2 || hexDigit(sum[0]) < 0 || hexDigit(sum[1]) < 0) return {Verdict::BadChecksum, {}};
        uint8_t x = 0;
        for (char c : body) x ^= uint8_t(c);
        if (x != hexDigit(sum[0]) * 16 + hexDigit(sum[1])) return {Verdict::BadChecksum, {}};
    } else if (f.size() < needed) {
        return {Verdict::Cut, {}};
    } else if (checksumRequired) {
        return {Verdict::BadChecksum, {}};
    }
    if ((!rmc && !gga) || f.size() < needed || !timeOfDay(f[1])) return {};
    if (rmc) return {Verdict::Read, rmcOf(f)};
    return {Verdict::Read, ggaOf(f)};
}

void SampleBuilder::add(std::string_view sentence, std::optional<double> videoSeconds) {
    const Sentence s = parseSentence(sentence, checksumRequired_);
    if (s.verdict == Verdict::BadChecksum) ++badChecksums_;
    if (s.verdict == Verdict::Cut) ++cutSentences_;
    if (const auto* rmc = std::get_if<Rmc>(&s.value)) addRmc(*rmc, videoSeconds);
    if (const auto* gga = std::get_if<Gga>(&s.value)) addGga(*gga);
}

void SampleBuilder::addText(std::string_view text) {
    // A sentence ends at its line's end, or where the next one starts after a cut.
    for (size_t at = text.find('$'); at != std::string_view::npos;) {
        const size_t next = text.find_first_of("$\r\n", at + 1);
        add(text.substr(at, next == std::string_view::npos ? std::string_view::npos : next - at));
        at = next == std::string_view::npos ? next : text.find('$', next);
    }
}

void SampleBuilder::addRmc(const Rmc& rmc, std::optional<double> videoSeconds) {
    Pending p;
    p.timeOfDayMs = rmc.timeOfDayMs;
    Sample& s = p.sample;
    if (rmc.dayUtc)
        s.time = RecordedTime{std::chrono::milliseconds(*rmc.dayUtc * 86'400'000 + rmc.timeOfDayMs),
                              RecordedTime::Clock::Utc};
    if (rmc.active && rmc.lat && rmc.lon) s.fix = GeoPoint{*rmc.lat, *rmc.lon, std::nullopt};
    if (!rmc.active) s.fixQuality = 0;
    // Beyond this a damaged sentence, not a car.
    if (rmc.speedKnots && *rmc.speedKnots * 1.852 <= 1000) s.speedKmh = *rmc.speedKnots * 1.852;
    s.headingDegrees = rmc.courseDegrees;
    if (videoSeconds && std::isfinite(*videoSeconds)) {
        s.videoSeconds = *videoSeconds;
        p.stamped = true;
    }
    pending_.push_back(p);
    if (unmatchedGga_ && unmatchedGga_->timeOfDayMs == rmc.timeOfDayMs) addGga(*unmatchedGga_);
    unmatchedGga_.reset();
}

void SampleBuilder::addGga(const Gga& gga) {
    if (pending_.empty() || pending_.back().timeOfDayMs != gga.timeOfDayMs) {
        unmatchedGga_ = gga;
        return;
    }
    Sample& s = pending_.back().sample;
    if (s.fixQuality == 0) return;  // the RMC said there is no fix
    if (s.fix && gga.altitudeMetres) s.fix->altitudeMetres = gga.altitudeMetres;
    // A receiver gives a height only with a three-dimensional fix.
    s.fixQuality = gga.quality == 0 ? 0 : gga.altitudeMetres ? 3 : 2;
}

std::vector<Sample> SampleBuilder::finish() {
    std::vector<Sample> out;
    std::optional<std::chrono::milliseconds> origin;
    for (const Pending& p : pending_) {
        if (p.stamped) {
            out.push_back(p.sample);
            continue;
        }
        if (!p.sample.time) continue;
        if (!origin) origin = p.sample.time->sinceEpoch;
        const auto since = p.sample.time->sinceEpoch - *origin;
        if (since.count() < 0) continue;  // before the first sample: no place in the video
        out.push_back(p.sample);
        out.back().videoSeconds = double(since.count()) / 1000;
    }
    pending_.clear();
    unmatchedGga_.reset();
    std::ranges::stable_sort(out, {}, &Sample::videoSeconds);
    return out;
}

}  // namespace telemetry::nmea
