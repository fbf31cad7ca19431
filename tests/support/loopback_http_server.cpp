#include "tests/support/loopback_http_server.h"

#include <QTcpSocket>

namespace ov2::test {

LoopbackHttpServer::LoopbackHttpServer() {
    m_server.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] { OnConnection(); });
}

std::string LoopbackHttpServer::Host() const {
    return "127.0.0.1:" + std::to_string(Port());
}

void LoopbackHttpServer::OnConnection() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
            buffer->append(socket->readAll());
            if (!buffer->contains("\r\n\r\n")) return;  // the headers are not complete yet
            const QByteArray requestLine = buffer->left(buffer->indexOf("\r\n"));
            m_requestLines.append(requestLine);
            buffer->clear();
            QByteArray body = m_body;
            for (const auto& [key, reply] : m_replies)
                if (requestLine.contains(key)) {
                    body = reply;
                    break;
                }
            if (m_mode == Mode::Silent) return;
            if (m_mode == Mode::Close) {
                socket->abort();
                return;
            }
            socket->write("HTTP/1.1 " + m_status + "\r\nContent-Type: text/plain\r\nContent-Length: " +
                          QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
            socket->disconnectFromHost();
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

}  // namespace ov2::test
