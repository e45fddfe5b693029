#pragma once
// Texts of the file table's rows, computed without a window.

#include <QString>

#include "Class_Video_Info.h"

// "mm:ss" of the recording's length ("0:0" without telemetry); minutes may have
// three digits or more.
QString lengthText(const telemetry::Class_Video_Info& record);
// The text after the last "/" of a path.
QString fileNameOf(const QString& path);
