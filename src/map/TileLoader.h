#pragma once
// Raster map tiles from a tile server: only the tiles asked for (the visible
// ones), at most two requests in flight, kept in a memory cache bounded by bytes and
// a disk cache, with a User-Agent naming the program as tile servers' usage policies
// ask. A tile that failed (late, too large, not a tile-sized picture) is asked for
// again after a pause, not in a loop.

#include <QCache>
#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>
#include <QVector>

class QNetworkAccessManager;
class QNetworkReply;

struct TileKey {
    int z = 0, x = 0, y = 0;
    bool operator==(const TileKey&) const = default;
};
inline size_t qHash(const TileKey& k, size_t seed = 0) { return qHashMulti(seed, k.z, k.x, k.y); }

class TileLoader : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kDefaultUrl = "https://tile.openstreetmap.org/{z}/{x}/{y}.png";
    static constexpr int kMaxInFlight = 2;
    static constexpr int kRetryAfterMs = 30000;

    struct Limits {
        int deadlineMs = 20000;         // for a whole request, however the bytes trickle in
        qint64 cacheBytes = 64 << 20;   // decoded images kept in memory
    };

    explicit TileLoader(const QString& urlTemplate, QObject* parent = nullptr);
    TileLoader(const QString& urlTemplate, Limits limits, QObject* parent = nullptr);

    bool enabled() const { return !urlTemplate_.isEmpty(); }
    // The tiles to show now, most wanted first; anything else still queued is dropped.
    void request(const QVector<TileKey>& visible);
    // The tile's image when loaded, else a null image.
    QImage tile(const TileKey& key) const;
    // Whether a request is queued or under way.
    bool busy() const { return !inFlight_.isEmpty() || !queue_.isEmpty(); }

signals:
    void tileLoaded();

private:
    void startNext();
    void finished(QNetworkReply* reply, TileKey key);

    QString urlTemplate_;
    Limits limits_;
    QNetworkAccessManager* network_;
    QCache<TileKey, QImage> images_;  // costs in KiB
    QVector<TileKey> queue_;
    QHash<TileKey, QNetworkReply*> inFlight_;
    QHash<TileKey, QDateTime> failedAt_;
};
