#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/track_position.h"

namespace ov2 {
struct DiscToc;
}

// The table of contents of the audio CD in one drive, read afresh for every use: where each
// track starts and where the last one ends (the lead-out), the freedb disc id computed from them.
class CAudioCdInfo {
public:
    // The freedb disc id; meaningful only after LoadFromDrive succeeded.
    std::uint32_t m_nDiscId = 0;
    // N + 1 entries for a disc of N tracks (data tracks included): entry i is the start of the
    // (i + 1)-th track, entry N the lead-out. Empty when the last read failed.
    std::vector<CTrackPosition> m_arrTracks;

    // ReadToc, then the disc id. On failure the user is told "Could not read track information"
    // and then "Please, insert a CD."; callers stop there.
    bool LoadFromDrive(std::string_view driveRoot);

    // Fills m_arrTracks from the disc that `driveRoot` names (see ov2::TocDeviceOf: "", "e:\",
    // or a device or CUE sheet path). False, with m_arrTracks empty, when there is no disc, no
    // audio track on it, or the drive cannot be read. Shows nothing.
    bool ReadToc(std::string_view driveRoot);
    // The same for a device or CUE sheet path given directly.
    bool ReadDeviceToc(const std::string& deviceOrImage);
    // The same from a table of contents already read: false, with m_arrTracks empty, when it
    // holds no audio track.
    bool SetFromToc(const ov2::DiscToc& toc);

    // N, the number of tracks: entries - 1 (0 when empty).
    int GetTrackCount() const;

    // The freedb disc id of m_arrTracks: the digit sums of the tracks' start seconds (mod 255)
    // in the top byte, the seconds from the first track to the lead-out in the middle two, N in
    // the low byte. 0 when m_arrTracks is empty.
    std::uint32_t ComputeDiscId() const;
};
