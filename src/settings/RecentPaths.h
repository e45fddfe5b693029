#pragma once
// The folders and files opened lately, most recent first, and the folder the
// Open dialog starts in, kept with the other settings (keys "RecentPaths",
// "LastFolder", "OpenDialogSize").

#include <QSize>
#include <QString>
#include <QStringList>

inline constexpr int kRecentLimit = 8;

// The list with path put first: no duplicates, at most limit entries.
QStringList withRecent(QStringList recent, const QString& path, int limit = kRecentLimit);

QStringList loadRecentPaths();
void saveRecentPaths(const QStringList& recent);
QString loadLastFolder();  // empty when nothing was opened yet
void saveLastFolder(const QString& folder);
QSize loadOpenDialogSize();  // invalid when never saved
void saveOpenDialogSize(const QSize& size);
