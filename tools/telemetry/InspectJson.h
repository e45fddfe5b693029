#pragma once
// The inspect command's view of a recording record: every field under its own
// name, so that what the scan found can be read without a debugger.

#include <QIODevice>
#include <QJsonObject>
#include <QString>

#include <chrono>

#include "Class_Subtitle_Info.h"
#include "Class_Video_Info.h"

namespace telemetry_cli {

// Texts become strings or null, numbers numbers, lists arrays or null (never
// created by the scan), fileDate an ISO 8601 UTC string or null.
QJsonObject inspectJson(const telemetry::Class_Video_Info& record);

// The fifteen fields of one sample, each a string or null.
QJsonObject sampleJson(const telemetry::Class_Subtitle_Info& sample);

// Writes inspect's JSON array as it goes, byte for byte as QJsonDocument writes
// the whole array indented (members sorted by name), but without building a
// document: a ten-hour recording's samples would otherwise be held three times.
class InspectWriter {
public:
    explicit InspectWriter(QIODevice& out) : out_(out) {}
    void add(const telemetry::Class_Video_Info& record);
    void finish();

private:
    void flushIfFull();

    QIODevice& out_;
    QByteArray pending_;
    bool added_ = false;
};

// Writes a command's JSON array an object at a time, byte for byte as
// QJsonDocument writes the whole array indented, so that each recording can be
// let go once written.
class JsonArrayWriter {
public:
    explicit JsonArrayWriter(QIODevice& out) : out_(out) {}
    void add(const QJsonObject& object);
    void finish();

private:
    QIODevice& out_;
    bool added_ = false;
};

// ISO 8601 in UTC with milliseconds, as "2026-12-06T06:33:22.123Z". Rounds down,
// so an instant never shows as later than it was.
QString isoUtcMillis(std::chrono::system_clock::time_point time);

}  // namespace telemetry_cli
