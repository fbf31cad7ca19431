#pragma once

#include <string>
#include <string_view>
#include <vector>

// The freedb servers the user can choose from, each shown as "host (place)", and the server a
// client uses when it is given none.
namespace ov2 {

// The ten sites, the central server first, then the mirrors by place.
const std::vector<std::string>& FreedbSites();

// The host of a site text: the text before its first blank ("127.0.0.1:8880 (Test)" gives
// "127.0.0.1:8880"); the whole text when it has no blank.
std::string SiteHost(std::string_view site);

// The central server's host: $OV2_FREEDB_HOST when set, else the host of the first site.
std::string DefaultFreedbHost();

// The host a client talks to for a site text: the central server's (DefaultFreedbHost) for an
// empty site or one that names the central server, so that $OV2_FREEDB_HOST replaces it
// wherever it is used, also in a catalogue that stored it as its site; else the site's host.
std::string FreedbHostOf(std::string_view site);

// Sites the user typed into the lookup dialog (a private server), most recent first. They are
// the user's, like the recent files, not the catalogue's: kept in the user's settings.
std::vector<std::string> TypedFreedbSites();
// Puts a typed site first among them; a site of the list of ten, or an empty one, is no typed
// site and is ignored.
void RememberTypedFreedbSite(const std::string& site);

}  // namespace ov2
