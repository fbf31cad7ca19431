#pragma once

#include <optional>
#include <string>
#include <vector>

// The table of contents of a disc as the drive reports it, read with libcdio. Positions are
// absolute frame numbers (75 to the second) with the 2-second lead-in included, so the first
// track of a standard audio CD starts at frame 150.
namespace ov2 {

struct TocTrack {
    int number = 0;      // 1..99, as the disc numbers it
    int startFrame = 0;  // absolute
    bool audio = false;  // false for a data track
};

struct DiscToc {
    std::vector<TocTrack> tracks;  // in track order, at least one
    int leadOutFrame = 0;          // the true end of the last track, absolute
};

// The table of contents of the disc in a drive's device ("/dev/sr0") or in a CUE sheet (whose
// data is the .bin of the same name beside it; the sheet's FILE line is not read). None when
// there is no disc or image, when it cannot be read, or when what it reports is no possible
// disc: no track, positions that do not rise, a track without a single frame, positions past
// 100 minutes. Reads the device afresh on every call and keeps nothing open.
std::optional<DiscToc> ReadDiscToc(const std::string& deviceOrImage);

}  // namespace ov2
