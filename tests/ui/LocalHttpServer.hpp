#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace drawlume::testing {

// Answers every request on 127.0.0.1 with one fixed response and counts the
// connections it was asked for.
class LocalHttpServer : public QObject {
public:
    LocalHttpServer() {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                ++connections_;
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    request_ += socket->readAll();
                    if (request_.contains("\r\n\r\n")) {
                        socket->write(response_);
                        socket->disconnectFromHost();
                        request_.clear();
                    }
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    void respond(int status, const QByteArray& body) {
        const QByteArray reason = status == 200 ? "OK" : "Not Found";
        response_ = "HTTP/1.1 " + QByteArray::number(status) + " " + reason +
                    "\r\nContent-Type: application/rss+xml\r\nContent-Length: " +
                    QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    }
    QUrl url() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(server_.serverPort()));
    }
    int connections() const { return connections_; }

private:
    QTcpServer server_;
    QByteArray response_;
    QByteArray request_;
    int connections_ = 0;
};

}  // namespace drawlume::testing
