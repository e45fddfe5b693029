#pragma once
// What exiftool reads from a recording's embedded documents, the reference the
// camera readers' samples are checked against.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Process.h"

namespace exiftool {

// One embedded document's tags (exiftool's tag names), numbers as exiftool prints
// them with -n.
using Doc = std::map<std::string, std::string>;

// The documents in order. extraArgs go before the file (e.g. "-api", "QuickTimeUTC").
inline std::vector<Doc> docs(const std::string& path, std::vector<std::string> extraArgs = {}) {
    std::vector<std::string> argv = {"exiftool", "-ee", "-n", "-G3", "-s"};
    argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
    argv.push_back(path);
    const testgen::ProcessResult r = testgen::runProcess(argv);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::map<int, Doc> byNumber;
    size_t at = 0;
    while (at < r.out.size()) {
        const size_t end = std::min(r.out.find('\n', at), r.out.size());
        const std::string line = r.out.substr(at, end - at);
        at = end + 1;
        int doc = 0;
        char tag[128];
        int valueAt = 0;
        if (std::sscanf(line.c_str(), "[Doc%d] %127s : %n", &doc, tag, &valueAt) == 2 && valueAt > 0)
            byNumber[doc][tag] = line.substr(size_t(valueAt));
    }
    std::vector<Doc> out;
    for (auto& [n, d] : byNumber) out.push_back(std::move(d));
    return out;
}

inline std::optional<double> number(const Doc& doc, const std::string& tag) {
    const auto it = doc.find(tag);
    if (it == doc.end()) return std::nullopt;
    return std::stod(it->second);
}

// "2016:05:12 09:03:09.00Z" as milliseconds since 1970.
inline std::optional<long long> milliseconds(const Doc& doc, const std::string& tag) {
    const auto it = doc.find(tag);
    int y, mo, d, h, mi;
    double s;
    if (it == doc.end() || std::sscanf(it->second.c_str(), "%d:%d:%d %d:%d:%lf", &y, &mo, &d, &h, &mi, &s) != 6)
        return std::nullopt;
    using namespace std::chrono;
    const auto days = sys_days(year_month_day{year(y), month(unsigned(mo)), day(unsigned(d))}).time_since_epoch().count();
    return (days * 86400LL + h * 3600 + mi * 60) * 1000 + std::llround(s * 1000);
}

}  // namespace exiftool
