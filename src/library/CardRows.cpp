#include "CardRows.h"

#include <QObject>
#include <algorithm>

#include "Moments.h"
#include "RowText.h"

namespace {

QString textOf(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

// The deepest folder all paths lie in, with its trailing "/"; "/" when only the root.
QByteArray commonFolder(const QByteArrayList& batch) {
    QByteArray common = batch.first().left(batch.first().lastIndexOf('/') + 1);
    for (const QByteArray& path : batch)
        while (!common.isEmpty() && !path.startsWith(common))
            common.truncate((common.size() >= 2 ? common.lastIndexOf('/', common.size() - 2) : -1) + 1);
    return common;
}

QString kindText(card::Kind kind) {
    switch (kind) {
        case card::Kind::Normal: return QObject::tr("Normal");
        case card::Kind::Event: return QObject::tr("Event");
        case card::Kind::Parking: return QObject::tr("Parking");
        case card::Kind::Manual: return QObject::tr("Manual");
        case card::Kind::Unknown: break;
    }
    return {};
}

}  // namespace

std::vector<BatchRow> rowsOfBatch(const QByteArrayList& batch, const QByteArray& openedFolder) {
    if (batch.isEmpty()) return {};
    const QByteArray opened = openedFolder.endsWith('/') ? openedFolder : openedFolder + '/';
    const bool fromOpened = !openedFolder.isEmpty() && std::all_of(batch.begin(), batch.end(), [&](const QByteArray& path) {
        return path.startsWith(opened);
    });
    const QByteArray common = fromOpened ? opened : commonFolder(batch);
    // The common folder's own name stays in the relative paths: it may be the one
    // that names the kind (DCIM/Movie opened, or all files in DCIM/Movie/RO).
    const qsizetype cut = common.size() > 1 ? common.lastIndexOf('/', common.size() - 2) + 1 : common.size();
    // The place of a file in the opened folder is below it: the table names that folder itself.
    const qsizetype placeCut = fromOpened ? common.size() : cut;
    std::vector<card::CardFile> files;
    for (const QByteArray& path : batch) {
        const std::string relative = path.mid(cut).toStdString();
        files.push_back({path.toStdString(), relative, card::startTime(path.toStdString(), relative)});
    }
    std::vector<BatchRow> rows;
    for (const card::Moment& moment : card::groupMoments(files)) {
        BatchRow row;
        const card::ChannelFile& main = moment.mainChannel();
        row.path = QByteArray::fromStdString(main.path);
        row.folder = folderOf(row.path);
        const QByteArray below = row.path.mid(placeCut);
        row.place = QString::fromUtf8(below.left(std::max<qsizetype>(below.lastIndexOf('/'), 0)));
        row.kind = kindText(moment.kind);
        row.protectedByCamera = moment.kind == card::Kind::Event;
        row.channels.append({textOf(card::channelName(main.channel)), row.path});
        for (size_t c = 0; c < moment.channels.size(); ++c)
            if (c != moment.main)
                row.channels.append({textOf(card::channelName(moment.channels[c].channel)),
                                     QByteArray::fromStdString(moment.channels[c].path)});
        rows.push_back(std::move(row));
    }
    return rows;
}
