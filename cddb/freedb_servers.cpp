#include "cddb/freedb_servers.h"

#include <QSettings>
#include <QStringList>
#include <algorithm>
#include <cstdlib>

namespace ov2 {
namespace {

constexpr int kTypedSitesKept = 8;

QSettings Settings() {
    return QSettings(QStringLiteral("Ov2"), QStringLiteral("Ov2"));
}

const QString kTypedSitesKey = QStringLiteral("freedb/typedSites");

}  // namespace

const std::vector<std::string>& FreedbSites() {
    // The central server is the live successor of the original one; the mirrors keep the names
    // they had in their places.
    static const std::vector<std::string> sites = {
        "gnudb.gnudb.org (Central Server)",
        "at.freedb.org (Vienna, Austria)",
        "au.freedb.org (Sydney, Australia)",
        "bg.freedb.org (Sofia, Bulgaria)",
        "ca.freedb.org (Winnipeg, Manitoba, Canada)",
        "de.freedb.org (Berlin, Germany)",
        "es.freedb.org (Madrid, Spain)",
        "lu.freedb.org (Betzdorf, Luxemburg)",
        "uk.freedb.org (London, UK)",
        "us.freedb.org (San Jose, California, USA)",
    };
    return sites;
}

std::string SiteHost(std::string_view site) {
    return std::string(site.substr(0, site.find(' ')));
}

std::string DefaultFreedbHost() {
    const char* host = std::getenv("OV2_FREEDB_HOST");
    return host && *host ? std::string(host) : SiteHost(FreedbSites().front());
}

std::string FreedbHostOf(std::string_view site) {
    const std::string host = SiteHost(site);
    if (host.empty() || host == SiteHost(FreedbSites().front())) return DefaultFreedbHost();
    return host;
}

std::vector<std::string> TypedFreedbSites() {
    std::vector<std::string> sites;
    for (const QString& site : Settings().value(kTypedSitesKey).toStringList())
        if (!site.isEmpty()) sites.push_back(site.toStdString());
    return sites;
}

void RememberTypedFreedbSite(const std::string& site) {
    const std::vector<std::string>& listed = FreedbSites();
    if (SiteHost(site).empty() || std::find(listed.begin(), listed.end(), site) != listed.end())
        return;
    QStringList sites = Settings().value(kTypedSitesKey).toStringList();
    const QString typed = QString::fromStdString(site);
    sites.removeAll(typed);
    sites.prepend(typed);
    while (sites.size() > kTypedSitesKept) sites.removeLast();
    QSettings settings = Settings();
    settings.setValue(kTypedSitesKey, sites);
}

}  // namespace ov2
