#include "cli/toc_command.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/audio_cd.h"
#include "platform/audio_cd_info.h"
#include "platform/disc_toc.h"

namespace {

bool IsDriveLetter(std::string_view text) {
    if (text.empty() || !((text[0] >= 'a' && text[0] <= 'z') || (text[0] >= 'A' && text[0] <= 'Z')))
        return false;
    const std::string_view rest = text.substr(1);
    return rest.empty() || rest == ":" || rest == ":\\";
}

std::string Msf(const CTrackPosition& p) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", p.minute, p.second, p.frame);
    return text;
}

}  // namespace

bool ReadCommandToc(std::string_view driveOrImage, ov2::DiscToc& toc, CAudioCdInfo& info) {
    std::optional<std::string> device;
    if (IsDriveLetter(driveOrImage)) {
        device = ov2::TocDeviceOf(driveOrImage);
    } else if (!driveOrImage.empty()) {
        // A sheet named relative to the working folder is found as the shell means it.
        std::error_code error;
        const std::filesystem::path path = std::filesystem::absolute(driveOrImage, error);
        if (!error) device = path.string();
    }
    if (!device) return false;
    std::optional<ov2::DiscToc> read = ov2::ReadDiscToc(*device);
    if (!read || !info.SetFromToc(*read)) return false;
    toc = std::move(*read);
    return true;
}

std::optional<std::string> TocText(std::string_view driveOrImage) {
    ov2::DiscToc toc;
    CAudioCdInfo info;
    if (!ReadCommandToc(driveOrImage, toc, info)) return std::nullopt;

    std::string text;
    for (std::size_t i = 0; i < toc.tracks.size(); ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%02d ", toc.tracks[i].number);
        text += number + Msf(info.m_arrTracks[i]) + (toc.tracks[i].audio ? " audio\n" : " data\n");
    }
    text += "leadout " + Msf(info.m_arrTracks.back()) + '\n';
    return text;
}
