#include "RecentPaths.h"

#include <QSettings>

namespace {
const QString kRecent = QStringLiteral("RecentPaths");
const QString kLastFolder = QStringLiteral("LastFolder");
const QString kDialogSize = QStringLiteral("OpenDialogSize");
}  // namespace

QStringList withRecent(QStringList recent, const QString& path, int limit) {
    recent.removeAll(path);
    recent.prepend(path);
    if (recent.size() > limit) recent.resize(limit);
    return recent;
}

QStringList loadRecentPaths() {
    // A hand-edited list is held to the same rules.
    QStringList recent = QSettings().value(kRecent).toStringList();
    recent.removeAll(QString());
    recent.removeDuplicates();
    return recent.mid(0, kRecentLimit);
}
void saveRecentPaths(const QStringList& recent) { QSettings().setValue(kRecent, recent); }
QString loadLastFolder() { return QSettings().value(kLastFolder).toString(); }
void saveLastFolder(const QString& folder) { QSettings().setValue(kLastFolder, folder); }
QSize loadOpenDialogSize() { return QSettings().value(kDialogSize).toSize(); }
void saveOpenDialogSize(const QSize& size) { QSettings().setValue(kDialogSize, size); }
