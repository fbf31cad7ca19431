#include "cddb/freedb_client.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <cstdio>

#include "cddb/freedb_servers.h"
#include "platform/audio_cd_info.h"
#include "platform/quiet_wait.h"

namespace {

// Every byte but letters, digits and "-_.~" as %XX, so that no typed text can add a parameter
// or a command to a request.
std::string PercentEncoded(std::string_view text) {
    std::string encoded;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
            (byte >= '0' && byte <= '9') || byte == '-' || byte == '_' || byte == '.' ||
            byte == '~') {
            encoded += c;
        } else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", byte);
            encoded += escape;
        }
    }
    return encoded;
}

std::string DiscIdText(const CAudioCdInfo& disc) {
    char id[9];
    std::snprintf(id, sizeof id, "%08x", static_cast<unsigned>(disc.ComputeDiscId()));
    return id;
}

// Errors of the connection itself; errors that carry an HTTP status still bring a body, which
// is the reply.
bool IsTransferError(QNetworkReply::NetworkError error) {
    const int code = static_cast<int>(error);
    return (code > 0 && code < 200) || (code >= 300 && code < 400);
}

}  // namespace

CFreedbClient::CFreedbClient(std::string server, std::string hello)
    : m_strServer(server.empty() ? ov2::DefaultFreedbHost() : std::move(server)),
      m_strHello(std::move(hello)) {}

std::string CFreedbClient::GetHelloParameter() const {
    std::string user = "x", host = "x";
    if (const auto at = m_strHello.find('@');
        at != std::string::npos && at > 0 && at + 1 < m_strHello.size()) {
        user = PercentEncoded(std::string_view(m_strHello).substr(0, at));
        host = PercentEncoded(std::string_view(m_strHello).substr(at + 1));
    }
    return "hello=" + user + "+" + host + "+orvella+2&proto=4";
}

std::string CFreedbClient::QueryRequest(const CAudioCdInfo& disc) const {
    const int tracks = disc.GetTrackCount();
    std::string request =
        m_strCgiPath + "?cmd=cddb+query+" + DiscIdText(disc) + "+" + std::to_string(tracks);
    for (int i = 0; i < tracks; ++i)
        request += "+" + std::to_string(disc.m_arrTracks[static_cast<std::size_t>(i)].Frames());
    // The playing time is the lead-out's whole seconds, lead-in included.
    const CTrackPosition& leadOut =
        disc.m_arrTracks.empty() ? CTrackPosition{} : disc.m_arrTracks.back();
    request += "+" + std::to_string(leadOut.minute * 60 + leadOut.second);
    return request + "&" + GetHelloParameter();
}

std::string CFreedbClient::ReadRequest(const std::string& category,
                                       const CAudioCdInfo& disc) const {
    return m_strCgiPath + "?cmd=cddb+read+" + PercentEncoded(category) + "+" + DiscIdText(disc) +
           "&" + GetHelloParameter();
}

std::string CFreedbClient::CategoryListRequest() const {
    return m_strCgiPath + "?cmd=cddb+lscat&" + GetHelloParameter();
}

bool CFreedbClient::Fetch(const std::string& request, std::vector<std::string>& lines) {
    m_strError.clear();
    static const bool systemProxy = [] {
        QNetworkProxyFactory::setUseSystemConfiguration(true);
        return true;
    }();
    (void)systemProxy;

    // The request goes out byte for byte: "+" and "~" stay as they are.
    const QByteArray address = QByteArray("http://") + QByteArray::fromStdString(m_strServer) +
                               QByteArray::fromStdString(request);
    const QUrl url = QUrl::fromEncoded(address);
    if (!url.isValid()) {
        m_strError = "Invalid address: " + address.toStdString();
        return false;
    }
    QNetworkRequest httpRequest(url);
    httpRequest.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("Ov2"));

    QNetworkAccessManager manager;
    QNetworkReply* reply = manager.get(httpRequest);
    QEventLoop loop;
    QTimer silence;
    silence.setSingleShot(true);
    bool timedOut = false, tooLarge = false;
    QObject::connect(&silence, &QTimer::timeout, reply, [&] {
        timedOut = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [&](qint64 received, qint64) {
        if (received > kMaxReplyBytes) {
            tooLarge = true;
            reply->abort();
            return;
        }
        silence.start(m_nTimeoutMs);
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    silence.start(m_nTimeoutMs);
    if (!reply->isFinished()) ov2::RunWithoutInput(loop);
    silence.stop();

    const QByteArray body = reply->readAll();
    const QNetworkReply::NetworkError error = reply->error();
    const QString errorText = reply->errorString();
    reply->deleteLater();
    if (timedOut) {
        m_strError = "The server " + m_strServer + " did not answer for " +
                     std::to_string(m_nTimeoutMs / 1000) + " seconds.";
        return false;
    }
    if (tooLarge || body.size() > kMaxReplyBytes) {
        m_strError = "The reply of the server " + m_strServer + " is larger than 4 MiB.";
        return false;
    }
    if (IsTransferError(error)) {
        m_strError = errorText.toStdString();
        return false;
    }
    const QList<QByteArray> pieces = body.split('\n');
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i == pieces.size() - 1 && pieces[i].isEmpty()) break;  // the end of the last line
        QByteArray line = pieces[i];
        if (line.endsWith('\r')) line.chop(1);
        lines.push_back(line.toStdString());
    }
    return true;
}

std::optional<std::string> CFreedbClient::Query(const CAudioCdInfo& disc) {
    std::vector<std::string> lines;
    if (!Fetch(QueryRequest(disc), lines)) return std::nullopt;
    // Only one exact match ("200 rock 0200d401 Artist / Title") names a category; the program
    // never chooses among several.
    if (lines.empty() || lines.front().compare(0, 3, "200") != 0) return std::string("failure");
    const std::string rest = lines.front().size() > 4 ? lines.front().substr(4) : std::string();
    return rest.substr(0, rest.find(' '));
}

std::optional<CFreedbDiscInfo> CFreedbClient::Read(const std::string& category,
                                                   const CAudioCdInfo& disc) {
    std::vector<std::string> lines;
    if (!Fetch(ReadRequest(category, disc), lines)) return std::nullopt;
    return CFreedbDiscInfo::FromReadReply(lines);
}

bool CFreedbClient::ListCategories(std::vector<std::string>& categories) {
    std::vector<std::string> lines;
    if (!Fetch(CategoryListRequest(), lines)) return false;
    for (std::size_t i = 1; i < lines.size(); ++i)
        if (lines[i] != ".") categories.push_back(lines[i]);
    return true;
}
