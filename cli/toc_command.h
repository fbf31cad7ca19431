#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/audio_cd_info.h"
#include "platform/disc_toc.h"

// `ov2cat toc`: the table of contents the program reads from an audio CD, as text. One line per
// track, "NN MM:SS:FF audio" or "... data" (positions absolute, the lead-in included), then
// "leadout MM:SS:FF". `driveOrImage` is a drive letter ("E", "e:", "e:\") or the path of a CUE
// sheet. None when the table of contents cannot be read, as the program's own read fails: no
// disc, no such drive or image, or no audio track.
std::optional<std::string> TocText(std::string_view driveOrImage);

// Reads the table of contents of a drive letter or CUE sheet as `ov2cat toc` does; false when it
// cannot be read.
bool ReadCommandToc(std::string_view driveOrImage, ov2::DiscToc& toc, CAudioCdInfo& info);
