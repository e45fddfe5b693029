#pragma once
// Texts of the file table's rows, computed without a window.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

#include "Class_Video_Info.h"
#include "Sample.h"

// "mm:ss" of the recording's length ("0:0" without telemetry); minutes may have
// three digits or more.
QString lengthText(const telemetry::Class_Video_Info& record);
// The same of a length in whole seconds, for any camera's recording.
QString lengthText(uint32_t seconds);
// The seconds of a length's "m:ss" text; -1 for a row still waiting (":") or a text of no length.
qint64 lengthSeconds(const QString& text);
// Why a row's recording is of no use to trips and statistics, for its tool tip;
// empty when its scan completed and it has a picture. unreadable: why the file
// cannot be read, if so; hasVideo: whether it has a video track, if known.
QString rowProblem(const telemetry::Class_Video_Info& record, const std::string& unreadable, std::optional<bool> hasVideo);
// The Date column: the recording's fileDateYMD with each field shown by its value,
// two digits wide (four for the year), so a camera's "005" reads 05.
QString dateText(const telemetry::Class_Video_Info& record);
// The same form of the first sample's date that has one, for any camera's recording.
QString dateText(const std::vector<telemetry::Sample>& samples);
// The name after the last "/" of a path in the file system's bytes, for display:
// bytes that are not UTF-8 show as replacement characters.
QString fileNameOf(const QByteArray& path);
// The folder a path lies in (everything before its last "/"; "/" for the root).
QString folderOf(const QByteArray& path);
// The Folder column is worth its room only when the rows come from more than one folder.
bool rowsFromSeveralFolders(const QStringList& folders);
