#pragma once
// What exiftool reads from a recording's embedded telemetry, the reference the
// camera readers are checked against: `exiftool -ee -n -a -G3 -s` prints each
// timed-metadata sample as its own document, every value of a tag in order.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "Process.h"

namespace exiftool {

// One document's tags, each with all its values.
using Document = std::map<std::string, std::vector<std::string>>;

// The embedded documents ("Doc1", "Doc2" ...) in order; none when exiftool fails.
// extraArgs go before the file (e.g. "-api", "QuickTimeUTC").
inline std::vector<Document> embeddedDocuments(const std::string& path, const std::vector<std::string>& extraArgs = {}) {
    std::vector<std::string> argv = {"exiftool", "-ee", "-n", "-a", "-G3", "-s"};
    argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
    argv.push_back(path);
    const testgen::ProcessResult r = testgen::runProcess(argv);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<Document> docs;
    if (r.exitCode != 0) return docs;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("[Doc")) continue;
        const size_t close = line.find(']'), colon = line.find(" : ");
        if (close == std::string::npos || colon == std::string::npos) continue;
        const size_t n = std::stoul(line.substr(4, close - 4));  // Doc1-... subdocuments are not used here
        std::istringstream name(line.substr(close + 1, colon - close - 1));
        std::string tag;
        name >> tag;
        if (docs.size() < n) docs.resize(n);
        docs[n - 1][tag].push_back(line.substr(colon + 3));
    }
    return docs;
}

// "2016:05:12 09:03:07.250" or with a trailing "Z", read as UTC: milliseconds since 1970.
inline long long utcMilliseconds(const std::string& text) {
    std::tm t{};
    double seconds = 0;
    if (std::sscanf(text.c_str(), "%d:%d:%d %d:%d:%lf", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour, &t.tm_min,
                    &seconds) != 6)
        return -1;
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    return (long long)timegm(&t) * 1000 + std::llround(seconds * 1000);
}

// A tag's first value as a number, or as milliseconds since 1970 of a UTC time.
inline std::optional<double> number(const Document& doc, const std::string& tag) {
    const auto it = doc.find(tag);
    if (it == doc.end() || it->second.empty()) return std::nullopt;
    return std::stod(it->second.front());
}
inline std::optional<long long> milliseconds(const Document& doc, const std::string& tag) {
    const auto it = doc.find(tag);
    if (it == doc.end() || it->second.empty() || utcMilliseconds(it->second.front()) < 0) return std::nullopt;
    return utcMilliseconds(it->second.front());
}

}  // namespace exiftool
