#include "cli/freedb_command.h"

#include <cstdio>

#include "cddb/freedb_client.h"
#include "cddb/freedb_servers.h"
#include "cli/toc_command.h"

FreedbCommandResult LookUpOnFreedb(std::string_view driveOrImage, std::string_view site,
                                   const std::string& hello) {
    FreedbCommandResult result;
    ov2::DiscToc toc;
    CAudioCdInfo disc;
    if (!ReadCommandToc(driveOrImage, toc, disc)) {
        result.what = driveOrImage;
        result.reason = "Could not read track information";
        return result;
    }
    // No site, or the central server's, is the central server, which $OV2_FREEDB_HOST replaces.
    CFreedbClient client(ov2::SiteHost(site), hello);
    result.what = client.m_strServer;
    const std::optional<std::string> category = client.Query(disc);
    if (!category) {
        result.reason = client.m_strError;
        return result;
    }
    if (*category == "failure") {
        result.reason = "This CD couldn't be found in the FreeDB CD database.";
        return result;
    }
    // Of several exact matches the first is read, under its own disc id.
    const std::optional<CFreedbDiscInfo> info =
        client.Read(*category, disc, client.m_lstMatches.front().m_strDiscId);
    if (!info) {
        result.reason = client.m_strError;
        return result;
    }
    // An entry without an artist is what an error reply leaves.
    if (info->m_strArtist.empty()) {
        result.reason = "Error from CDDB received";
        return result;
    }
    char id[9];
    std::snprintf(id, sizeof id, "%08x", static_cast<unsigned>(disc.ComputeDiscId()));
    result.output = std::string("id ") + id + "\ncategory " + *category + "\nartist " +
                    info->m_strArtist + "\ntitle " + info->m_strAlbumTitle + "\nyear " +
                    info->m_strYear + "\ngenre " + info->m_strGenre + "\n";
    for (const std::string& title : info->m_lstTrackTitles) result.output += title + "\n";
    result.ok = true;
    return result;
}
