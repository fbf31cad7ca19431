#pragma once

#include <string>
#include <string_view>

// `ov2cat freedb`: looks the audio CD in a drive (or a CUE sheet) up on a freedb server as the
// lookup dialog does: the disc id, the query's category, then the entry read in that category.
struct FreedbCommandResult {
    bool ok = false;
    // ok: "id …", "category …", "artist …", "title …", "year …", "genre …", then one track
    // title a line.
    std::string output;
    std::string what;    // failed: the drive, image or server the failure concerns
    std::string reason;  // failed: why
};

// `site` is a site text of the server list ("host (place)") or a bare "host:port"; empty means
// the central server ($OV2_FREEDB_HOST when set). `hello` is the contact address "user@host", or
// empty.
FreedbCommandResult LookUpOnFreedb(std::string_view driveOrImage, std::string_view site,
                                   const std::string& hello);
