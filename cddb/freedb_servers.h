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

// The host the category list comes from: $OV2_FREEDB_HOST when set, else the central server.
std::string DefaultFreedbHost();

}  // namespace ov2
