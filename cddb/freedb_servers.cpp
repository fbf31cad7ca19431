#include "cddb/freedb_servers.h"

#include <cstdlib>

namespace ov2 {

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

}  // namespace ov2
