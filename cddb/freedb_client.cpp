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
#include "platform/text.h"

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

// Eight hex digits: what tells a match line from other text.
bool IsDiscId(std::string_view text) {
    return text.size() == 8 && text.find_first_not_of("0123456789abcdefABCDEF") == text.npos;
}

}  // namespace

CFreedbClient::CFreedbClient(std::string server, std::string hello)
    : m_strServer(ov2::FreedbHostOf(server)), m_strHello(std::move(hello)) {}

std::string CFreedbClient::GetHelloParameter() const {
    std::string user = "x", host = "x";
    if (const auto at = m_strHello.find('@');
        at != std::string::npos && at > 0 && at + 1 < m_strHello.size()) {
        user = PercentEncoded(std::string_view(m_strHello).substr(0, at));
        host = PercentEncoded(std::string_view(m_strHello).substr(at + 1));
    }
    return "hello=" + user + "+" + host + "+orvella+2&proto=6";
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

std::string CFreedbClient::ReadRequest(const std::string& category, const CAudioCdInfo& disc,
                                       const std::string& discId) const {
    return m_strCgiPath + "?cmd=cddb+read+" + PercentEncoded(category) + "+" +
           (discId.empty() ? DiscIdText(disc) : PercentEncoded(discId)) + "&" + GetHelloParameter();
}

std::string CFreedbClient::CategoryListRequest() const {
    return m_strCgiPath + "?cmd=cddb+lscat&" + GetHelloParameter();
}

void CFreedbClient::Cancel() {
    m_bCancelled = true;
    if (m_pActiveReply) m_pActiveReply->abort();
}

bool CFreedbClient::Fetch(const std::string& request, std::vector<std::string>& lines) {
    m_strError.clear();
    m_bCancelled = false;
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
    m_pActiveReply = reply;
    if (!reply->isFinished()) {
        if (m_pInputOpen)
            ov2::RunWithInputOnlyFor(loop, m_pInputOpen);
        else
            ov2::RunWithoutInput(loop);
    }
    m_pActiveReply = nullptr;
    silence.stop();

    reply->deleteLater();
    if (m_bCancelled) return false;  // the user knows why; nothing to report
    if (timedOut) {
        m_strError = "The server " + m_strServer + " did not answer for " +
                     std::to_string(m_nTimeoutMs / 1000) + " seconds.";
        return false;
    }
    QByteArray body = tooLarge || !reply->isOpen() ? QByteArray() : reply->readAll();
    const QNetworkReply::NetworkError error = reply->error();
    const QString errorText = reply->errorString();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QByteArray reason =
        reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray();
    if (tooLarge || body.size() > kMaxReplyBytes) {
        m_strError = "The reply of the server " + m_strServer + " is larger than 4 MiB.";
        return false;
    }
    // An error page is no reply of the protocol: its lines would read as categories or titles.
    if (status.isValid() && status.toInt() != 200) {
        m_strError = "The server " + m_strServer + " answered HTTP " +
                     std::to_string(status.toInt()) +
                     (reason.isEmpty() ? std::string() : " " + reason.toStdString()) + ".";
        return false;
    }
    // A body the network layer could not read (one that fails to decompress) is no reply
    // either, whatever the status said.
    if (error != QNetworkReply::NoError) {
        QString text = errorText;
        while (text.endsWith(QLatin1Char(':')) || text.endsWith(QLatin1Char(' '))) text.chop(1);
        m_strError = text.toStdString();
        if (status.isValid())
            m_strError += " (HTTP " + std::to_string(status.toInt()) +
                          (reason.isEmpty() ? std::string() : " " + reason.toStdString()) + ")";
        return false;
    }
    // Decided for the whole reply, never line by line.
    body =
        ov2::DecodeText(std::string_view(body.constData(), static_cast<std::size_t>(body.size())))
            .toUtf8();
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
    m_lstMatches.clear();
    m_bExactMatches = false;
    std::vector<std::string> lines;
    if (!Fetch(QueryRequest(disc), lines)) return std::nullopt;
    if (lines.empty()) return std::string("failure");
    const std::string code = lines.front().substr(0, 3);
    // "rock 0200d401 Artist / Title": the one match of a 200 after its code, each match of a
    // 210 or 211 on a line of its own up to the final ".".
    auto addMatch = [this](std::string_view line) {
        Match match;
        const std::size_t first = line.find(' ');
        match.m_strCategory = line.substr(0, first);
        if (first != std::string_view::npos) {
            const std::string_view rest = line.substr(first + 1);
            const std::size_t second = rest.find(' ');
            match.m_strDiscId = rest.substr(0, second);
            if (second != std::string_view::npos) match.m_strTitle = rest.substr(second + 1);
        }
        if (!match.m_strCategory.empty() && IsDiscId(match.m_strDiscId))
            m_lstMatches.push_back(std::move(match));
    };
    if (code == "200") {
        addMatch(lines.front().size() > 4 ? std::string_view(lines.front()).substr(4)
                                          : std::string_view());
    } else if (code == "210" || code == "211") {
        for (std::size_t i = 1; i < lines.size() && lines[i] != "."; ++i) addMatch(lines[i]);
    }
    m_bExactMatches = code != "211";
    // Of several exact matches the first is read, as servers of the older levels do themselves.
    if (!m_bExactMatches || m_lstMatches.empty()) return std::string("failure");
    return m_lstMatches.front().m_strCategory;
}

std::optional<CFreedbDiscInfo> CFreedbClient::Read(const std::string& category,
                                                   const CAudioCdInfo& disc,
                                                   const std::string& discId) {
    std::vector<std::string> lines;
    if (!Fetch(ReadRequest(category, disc, discId), lines)) return std::nullopt;
    return CFreedbDiscInfo::FromReadReply(lines, disc.GetTrackCount());
}

bool CFreedbClient::ListCategories(std::vector<std::string>& categories) {
    std::vector<std::string> lines;
    if (!Fetch(CategoryListRequest(), lines)) return false;
    for (std::size_t i = 1; i < lines.size(); ++i)
        if (lines[i] != ".") categories.push_back(lines[i]);
    return true;
}
