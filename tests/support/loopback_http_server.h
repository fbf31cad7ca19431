#pragma once

#include <QByteArray>
#include <QList>
#include <QTcpServer>

namespace ov2::test {

// An HTTP server on 127.0.0.1 for the tests of the program's transfers: it records the request
// line of every request and answers with the body set for it, or not at all, or by closing the
// connection. It runs in the test's thread, served by the event loop the transfer waits in.
class LoopbackHttpServer : public QObject {
public:
    enum class Mode { Answer, Silent, Close };

    LoopbackHttpServer();
    quint16 Port() const { return m_server.serverPort(); }
    // "127.0.0.1:<port>", a site host as the program takes it.
    std::string Host() const;

    Mode m_mode = Mode::Answer;
    QByteArray m_body;             // the reply body (with the status line of the protocol inside)
    // Bodies for requests whose request line holds the key ("cddb+read"); the first key found
    // wins, m_body answers the others.
    QList<std::pair<QByteArray, QByteArray>> m_replies;
    QByteArray m_status = "200 OK";  // the HTTP status
    QList<QByteArray> m_requestLines;  // "GET /~cddb/cddb.cgi?… HTTP/1.1", as received

private:
    void OnConnection();
    QTcpServer m_server;
};

}  // namespace ov2::test
