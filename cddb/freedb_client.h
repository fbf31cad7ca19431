#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cddb/freedb_disc_info.h"

class CAudioCdInfo;
class QNetworkReply;
class QObject;

// Speaks the CDDB protocol to a freedb server over HTTP: every command is one GET of the
// server's CGI script, and the reply body is read as lines. One client per operation.
//
// A transfer runs to its end before the call returns; the window keeps painting meanwhile and
// takes input only in the widget named by m_pInputOpen (the Cancel button of the transfer),
// none without one. A server that stops sending for the time-out, or sends more than a reply
// can be, fails the transfer like a refused connection does; so does an HTTP status other
// than 200 or a body the network layer cannot read.
//
// Replies are read as UTF-8 (the greeting asks for protocol level 6). A reply that is not valid
// UTF-8 comes from an older server and is read as Windows-1252; either way the lines arrive as
// UTF-8, so that one disc's texts never mix encodings.
class CFreedbClient {
public:
    // The server's host ("gnudb.gnudb.org", "127.0.0.1:8880"); none or the central server's
    // means the central server, which $OV2_FREEDB_HOST can replace. `hello` is the user's
    // contact address "user@host", or empty for the anonymous greeting.
    explicit CFreedbClient(std::string server = {}, std::string hello = {});

    // One match of a query: "rock 0200d401 Artist / Title".
    struct Match {
        std::string m_strCategory;
        std::string m_strDiscId;
        std::string m_strTitle;
    };

    std::string m_strServer;
    std::string m_strCgiPath = "/~cddb/cddb.cgi";
    std::string m_strHello;
    int m_nTimeoutMs = 30000;  // without progress
    static constexpr long long kMaxReplyBytes = 4LL * 1024 * 1024;
    // Why the last transfer failed: the network layer's words or the HTTP status. Empty after
    // a Cancel.
    std::string m_strError;
    // Whether the last transfer ended by Cancel().
    bool m_bCancelled = false;
    // The widget that keeps taking input while a transfer runs; none in a program without
    // windows.
    QObject* m_pInputOpen = nullptr;
    // The last query's matches: the one exact match (200), the exact ones (210), or the close
    // ones (211), in the server's order; m_bExactMatches tells which.
    std::vector<Match> m_lstMatches;
    bool m_bExactMatches = false;

    // "hello=x+x+orvella+2&proto=6", or the user and host of the contact address in place of
    // the two "x".
    std::string GetHelloParameter() const;

    // One transfer: appends the reply's lines (without their line ends) to `lines`. False when
    // the transfer failed or was cancelled.
    bool Fetch(const std::string& request, std::vector<std::string>& lines);
    // Ends the running transfer at once, as failed; m_bCancelled tells the caller so.
    void Cancel();

    // The requests, exactly as the server receives them.
    std::string QueryRequest(const CAudioCdInfo& disc) const;
    // `discId` is a match's id; empty means the disc's own.
    std::string ReadRequest(const std::string& category, const CAudioCdInfo& disc,
                            const std::string& discId = {}) const;
    std::string CategoryListRequest() const;

    // The category of the disc's exact match (the first of several), or "failure" for any other
    // reply (close matches only, none, an empty reply). None when the transfer failed.
    std::optional<std::string> Query(const CAudioCdInfo& disc);
    // The disc's entry in that category (under `discId` when given); none when the transfer
    // failed.
    std::optional<CFreedbDiscInfo> Read(const std::string& category, const CAudioCdInfo& disc,
                                        const std::string& discId = {});
    // Appends the server's category names; false when the transfer failed.
    bool ListCategories(std::vector<std::string>& categories);

private:
    QNetworkReply* m_pActiveReply = nullptr;
};
