#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

// CUE/BIN disc images for tests: a sheet naming each track's type and start, and a sparse .bin
// of the same name beside it, so a disc of an hour costs no disk space.
namespace ov2::test {

struct CueTrack {
    bool audio = true;
    int fileFrame = 0;  // where the track starts in the .bin, in frames (sectors) from its start
};

inline constexpr int kSectorBytes = 2352;

// Writes <folder>/<name>.cue listing `tracks` and a sparse <name>.bin of `sectors` sectors;
// returns the sheet's path. The disc's lead-out is then frame 150 + sectors.
inline std::filesystem::path WriteCueImage(const std::filesystem::path& folder, std::string_view name,
                                           const std::vector<CueTrack>& tracks, long sectors) {
    const std::filesystem::path cue = folder / (std::string(name) + ".cue");
    const std::filesystem::path bin = folder / (std::string(name) + ".bin");
    std::ofstream sheet(cue, std::ios::binary);
    sheet << "FILE \"" << name << ".bin\" BINARY\r\n";
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        const int f = tracks[i].fileFrame;
        char lines[96];
        std::snprintf(lines, sizeof lines, "  TRACK %02zu %s\r\n    INDEX 01 %02d:%02d:%02d\r\n", i + 1,
                      tracks[i].audio ? "AUDIO" : "MODE1/2352", f / 75 / 60, f / 75 % 60, f % 75);
        sheet << lines;
    }
    sheet.close();
    std::ofstream{bin, std::ios::binary};  // created empty, then grown without writing data
    std::filesystem::resize_file(bin, static_cast<std::uintmax_t>(sectors) * kSectorBytes);
    return cue;
}

}  // namespace ov2::test
