#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for tests: it records each request and answers
// with what the test's handler chooses for the path. One request per connection.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <memory>

class FakeHttpServer : public QObject {
public:
    struct Reply {
        int status = 200;
        QByteArray contentType;
        QByteArray body;
        bool neverAnswer = false;  // keeps the connection open without a word
        int delayMs = 0;
        int trickleMs = 0;            // sends the body a byte at a time, this far apart
        qint64 announcedLength = -1;  // a Content-Length other than the body's, when set
        bool noLength = false;        // no Content-Length: the body ends when the connection does
    };
    struct Request {
        QByteArray line;                      // "GET /path?query HTTP/1.1"
        QByteArray method;
        QString path;                         // with the query, as sent
        QMap<QByteArray, QByteArray> headers;  // names in lower case
    };
    using Handler = std::function<Reply(const QString& path)>;

    explicit FakeHttpServer(Handler handler, QObject* parent = nullptr)
        : QObject(parent), handler_(std::move(handler)) {
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) accept(socket);
        });
        server_.listen(QHostAddress::LocalHost, 0);
    }

    bool isListening() const { return server_.isListening(); }
    quint16 port() const { return server_.serverPort(); }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(port()); }
    void setHandler(Handler handler) { handler_ = std::move(handler); }

    const QList<Request>& requests() const { return requests_; }
    QStringList paths() const {
        QStringList all;
        for (const Request& r : requests_) all.append(r.path);
        return all;
    }

    // A port on 127.0.0.1 where nothing listens: bound once by the system, then let go.
    static quint16 unusedPort() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        return port;
    }

    static QByteArray reasonPhrase(int status) {
        static const QMap<int, QByteArray> phrases{{200, "OK"}, {204, "No Content"}, {400, "Bad Request"}, {403, "Forbidden"},
                                                   {404, "Not Found"}, {429, "Too Many Requests"}, {500, "Internal Server Error"},
                                                   {502, "Bad Gateway"}, {503, "Service Unavailable"}};
        return phrases.value(status, "Status");
    }

private:
    void accept(QTcpSocket* socket) {
        socket->setParent(this);
        struct Incoming { QByteArray bytes; bool answered = false; };
        auto incoming = std::make_shared<Incoming>();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, incoming] {
            incoming->bytes.append(socket->readAll());
            const qsizetype end = incoming->bytes.indexOf("\r\n\r\n");
            if (end < 0 || incoming->answered) return;
            incoming->answered = true;
            respond(socket, parse(incoming->bytes.left(end)));
        });
    }

    static Request parse(const QByteArray& head) {
        Request request;
        const QList<QByteArray> lines = head.split('\n');
        request.line = lines.value(0).trimmed();
        const QList<QByteArray> parts = request.line.split(' ');
        request.method = parts.value(0);
        request.path = QString::fromLatin1(parts.value(1));
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0) request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
        }
        return request;
    }

    void respond(QTcpSocket* socket, const Request& request) {
        requests_.append(request);
        const Reply reply = handler_ ? handler_(request.path) : Reply{404, "text/plain", "no handler", false, 0};
        if (reply.neverAnswer) return;
        QByteArray bytes = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonPhrase(reply.status) + "\r\n";
        if (!reply.contentType.isEmpty()) bytes += "Content-Type: " + reply.contentType + "\r\n";
        const qint64 length = reply.announcedLength >= 0 ? reply.announcedLength : reply.body.size();
        if (!reply.noLength) bytes += "Content-Length: " + QByteArray::number(length) + "\r\n";
        bytes += "Connection: close\r\n\r\n";
        const QPointer<QTcpSocket> guarded(socket);
        if (reply.trickleMs > 0) {
            guarded->write(bytes);
            auto* drip = new QTimer(socket);
            connect(drip, &QTimer::timeout, socket, [guarded, body = reply.body, sent = qsizetype(0)]() mutable {
                if (sent < body.size()) guarded->write(body.mid(sent++, 1));
                else guarded->disconnectFromHost();
            });
            drip->start(reply.trickleMs);
            return;
        }
        bytes += reply.body;
        const auto send = [guarded, bytes, stall = reply.announcedLength > reply.body.size()] {
            if (!guarded) return;
            guarded->write(bytes);
            if (!stall) guarded->disconnectFromHost();  // after the bytes are written
        };
        if (reply.delayMs > 0) QTimer::singleShot(reply.delayMs, socket, send);
        else send();
    }

    Handler handler_;
    QTcpServer server_;
    QList<Request> requests_;
};
