#include "TileLoader.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QStandardPaths>
#include <QTimer>

#include "TileImage.h"

#ifndef DASHCAM_VERSION
#define DASHCAM_VERSION "0.1.0"
#endif

TileLoader::TileLoader(const QString& urlTemplate, QObject* parent) : TileLoader(urlTemplate, Limits{}, parent) {}

TileLoader::TileLoader(const QString& urlTemplate, Limits limits, QObject* parent)
    : QObject(parent),
      urlTemplate_(urlTemplate),
      limits_(limits),
      network_(new QNetworkAccessManager(this)),
      images_(qsizetype(limits.cacheBytes >> 10)) {
    const QString cacheDir = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!cacheDir.isEmpty()) {
        auto* cache = new QNetworkDiskCache(network_);
        cache->setCacheDirectory(cacheDir + QStringLiteral("/dashcam-viewer/tiles"));
        cache->setMaximumCacheSize(256ll << 20);
        network_->setCache(cache);
    }
}

void TileLoader::request(const QVector<TileKey>& visible) {
    if (!enabled()) return;
    queue_.clear();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const TileKey& key : visible) {
        if (images_.contains(key) || inFlight_.contains(key)) continue;
        const auto failed = failedAt_.constFind(key);
        if (failed != failedAt_.constEnd() && failed->msecsTo(now) < kRetryAfterMs) continue;
        queue_.append(key);
    }
    startNext();
}

QImage TileLoader::tile(const TileKey& key) const {
    const QImage* image = images_.object(key);
    return image ? *image : QImage();
}

void TileLoader::startNext() {
    while (inFlight_.size() < kMaxInFlight && !queue_.isEmpty()) {
        const TileKey key = queue_.takeFirst();
        QString url = urlTemplate_;
        url.replace(QLatin1String("{z}"), QString::number(key.z))
            .replace(QLatin1String("{x}"), QString::number(key.x))
            .replace(QLatin1String("{y}"), QString::number(key.y));
        QNetworkRequest request{QUrl(url)};
        request.setHeader(QNetworkRequest::UserAgentHeader,
                          QStringLiteral("dashcam-viewer/%1 (dashcam recording viewer)").arg(QLatin1String(DASHCAM_VERSION)));
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferCache);
        QNetworkReply* reply = network_->get(request);
        inFlight_.insert(key, reply);
        // Aborted replies finish as failures.
        QTimer::singleShot(limits_.deadlineMs, reply, &QNetworkReply::abort);
        connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64 total) {
            if (received > tileimage::kMaxBodyBytes || total > tileimage::kMaxBodyBytes) reply->abort();
        });
        connect(reply, &QNetworkReply::finished, this, [this, reply, key] { finished(reply, key); });
    }
}

void TileLoader::finished(QNetworkReply* reply, TileKey key) {
    reply->deleteLater();
    inFlight_.remove(key);
    QImage image;
    if (reply->error() == QNetworkReply::NoError) image = tileimage::decodeTile(reply->readAll());
    if (image.isNull()) {
        failedAt_.insert(key, QDateTime::currentDateTimeUtc());
    } else {
        failedAt_.remove(key);
        images_.insert(key, new QImage(image), qsizetype(std::max<qint64>(1, image.sizeInBytes() >> 10)));
        emit tileLoaded();
    }
    startNext();
}
