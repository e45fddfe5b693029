#pragma once
// What GDAL's `ogrinfo -ro -al` prints about a file, parsed for the tests that
// check our exports against a real reader.

#include <QRegularExpression>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace ogr {

struct OgrFeature {
    std::map<std::string, std::string> fields;
    std::string geometry;
};
struct OgrLayer {
    int featureCount = -1;
    std::map<std::string, std::string> fieldTypes;
    std::vector<OgrFeature> features;
};

// The layers of `ogrinfo -ro -al`: counts, field types, and each feature's fields and geometry.
inline std::map<std::string, OgrLayer> parseOgrinfo(const std::string& text) {
    std::map<std::string, OgrLayer> layers;
    OgrLayer* layer = nullptr;
    std::istringstream in(text);
    // QRegularExpression: GCC 12's <regex> trips -Wmaybe-uninitialized in the sanitizer build.
    static const QRegularExpression fieldType(R"(^([A-Za-z_]+): ([A-Za-z()]+) \()"),
        fieldValue(R"(^  ([A-Za-z_]+) \([^)]*\) = (.*)$)");
    auto matched = [](const QRegularExpression& re, const std::string& line, std::map<std::string, std::string>& into) {
        const QRegularExpressionMatch m = re.match(QString::fromStdString(line));
        if (m.hasMatch()) into[m.captured(1).toStdString()] = m.captured(2).toStdString();
        return m.hasMatch();
    };
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("Layer name: ", 0) == 0) layer = &layers[line.substr(12)];
        else if (!layer) continue;
        else if (line.rfind("Feature Count: ", 0) == 0) layer->featureCount = std::stoi(line.substr(15));
        else if (line.rfind("OGRFeature(", 0) == 0) layer->features.emplace_back();
        else if (layer->features.empty() && matched(fieldType, line, layer->fieldTypes)) continue;
        else if (!layer->features.empty() && matched(fieldValue, line, layer->features.back().fields)) continue;
        else if (!layer->features.empty() && line.rfind("  ", 0) == 0 && line.find('(') != std::string::npos)
            layer->features.back().geometry = line.substr(2);
    }
    return layers;
}

}  // namespace ogr
