#include "platform/audio_cd_info.h"

#include <optional>

#include "platform/audio_cd.h"
#include "platform/disc_toc.h"
#include "platform/message_box.h"

bool CAudioCdInfo::LoadFromDrive(std::string_view driveRoot) {
    if (!ReadToc(driveRoot)) {
        ov2::OvMessageBox("Could not read track information");
        ov2::OvMessageBox("Please, insert a CD.");
        return false;
    }
    m_nDiscId = ComputeDiscId();
    return true;
}

bool CAudioCdInfo::ReadToc(std::string_view driveRoot) {
    m_arrTracks.clear();
    const std::optional<std::string> device = ov2::TocDeviceOf(driveRoot);
    return device && ReadDeviceToc(*device);
}

bool CAudioCdInfo::ReadDeviceToc(const std::string& deviceOrImage) {
    m_arrTracks.clear();
    const std::optional<ov2::DiscToc> toc = ov2::ReadDiscToc(deviceOrImage);
    return toc && SetFromToc(*toc);
}

bool CAudioCdInfo::SetFromToc(const ov2::DiscToc& toc) {
    m_arrTracks.clear();
    // A disc needs one audio track to be an audio CD; data tracks beside it are listed too.
    bool anyAudio = false;
    int previous = -1;
    for (const ov2::TocTrack& track : toc.tracks) {
        // Positions that do not rise, or a last track without a frame, are no disc.
        if (track.startFrame <= previous) return false;
        previous = track.startFrame;
        anyAudio = anyAudio || track.audio;
    }
    if (!anyAudio || toc.leadOutFrame <= previous) return false;

    for (const ov2::TocTrack& track : toc.tracks)
        m_arrTracks.push_back(CTrackPosition::FromFrames(track.startFrame));

    // The lead-out is the last track's start plus its length plus one frame, added position by
    // position with the carries. The length is the one the audio interface has always reported,
    // a frame short of the true end, so the sum lands exactly on the disc's lead-out.
    const CTrackPosition& last = m_arrTracks.back();
    const CTrackPosition length =
        CTrackPosition::FromFrames(toc.leadOutFrame - toc.tracks.back().startFrame - 1);
    const int leadOut = ((last.minute + length.minute) * 60 + last.second + length.second) *
                            CTrackPosition::kFramesPerSecond +
                        last.frame + length.frame + 1;
    m_arrTracks.push_back(CTrackPosition::FromFrames(leadOut));
    return true;
}

int CAudioCdInfo::GetTrackCount() const {
    return m_arrTracks.empty() ? 0 : static_cast<int>(m_arrTracks.size()) - 1;
}

std::uint32_t CAudioCdInfo::ComputeDiscId() const {
    if (m_arrTracks.empty()) return 0;
    const auto seconds = [](const CTrackPosition& p) { return p.minute * 60 + p.second; };
    const int tracks = GetTrackCount();
    std::uint32_t digitSum = 0;
    for (int i = 0; i < tracks; ++i) {
        for (int s = seconds(m_arrTracks[static_cast<std::size_t>(i)]); s > 0; s /= 10)
            digitSum += static_cast<std::uint32_t>(s % 10);
    }
    const auto playing =
        static_cast<std::uint32_t>(seconds(m_arrTracks.back()) - seconds(m_arrTracks.front()));
    return (digitSum % 255) << 24 | playing << 8 | static_cast<std::uint32_t>(tracks);
}
