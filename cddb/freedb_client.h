#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cddb/freedb_disc_info.h"

class CAudioCdInfo;

// Speaks the CDDB protocol to a freedb server over HTTP: every command is one GET of the
// server's CGI script, and the reply body is read as lines. One client per operation.
//
// A transfer runs to its end before the call returns; the window keeps painting meanwhile and
// takes no input. A server that stops sending for the time-out, or sends more than a reply can
// be, fails the transfer like a refused connection does.
class CFreedbClient {
public:
    // The server's host ("gnudb.gnudb.org", "127.0.0.1:8880"); none means the default mirror.
    // `hello` is the user's contact address "user@host", or empty for the anonymous greeting.
    explicit CFreedbClient(std::string server = {}, std::string hello = {});

    std::string m_strServer;
    std::string m_strCgiPath = "/~cddb/cddb.cgi";
    std::string m_strHello;
    int m_nTimeoutMs = 30000;  // without progress
    static constexpr long long kMaxReplyBytes = 4LL * 1024 * 1024;
    // Why the last transfer failed, in the words of the network layer.
    std::string m_strError;

    // "hello=x+x+orvella+2&proto=4", or the user and host of the contact address in place of
    // the two "x".
    std::string GetHelloParameter() const;

    // One transfer: appends the reply's lines (without their line ends) to `lines`. False when
    // the transfer failed; the HTTP status is not looked at, whatever body arrives is the reply.
    bool Fetch(const std::string& request, std::vector<std::string>& lines);

    // The requests, exactly as the server receives them.
    std::string QueryRequest(const CAudioCdInfo& disc) const;
    std::string ReadRequest(const std::string& category, const CAudioCdInfo& disc) const;
    std::string CategoryListRequest() const;

    // The category of the disc's one exact match, or "failure" for any other reply (several
    // matches, none, an empty reply). None when the transfer failed.
    std::optional<std::string> Query(const CAudioCdInfo& disc);
    // The disc's entry in that category; none when the transfer failed.
    std::optional<CFreedbDiscInfo> Read(const std::string& category, const CAudioCdInfo& disc);
    // Appends the server's category names; false when the transfer failed.
    bool ListCategories(std::vector<std::string>& categories);
};
