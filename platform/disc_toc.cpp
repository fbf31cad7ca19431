#include "platform/disc_toc.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>

#include <memory>

namespace ov2 {
namespace {

// MSF addresses end at 99:59:74; nothing beyond that is a CD, and the bound keeps every sum of
// positions far from overflowing.
constexpr int kMaxFrames = 100 * 60 * 75;

// libcdio writes its complaints (a missing .bin, a device without a disc) to standard error by
// default; failures reach the user through our own messages instead. Dropping assertions too
// means a confused library never aborts the program.
void Quiet(cdio_log_level_t, const char[]) {}

void InstallQuietLog() {
    static const bool installed = (cdio_log_set_handler(&Quiet), true);
    (void)installed;
}

struct CdioClose {
    void operator()(CdIo_t* cdio) const { cdio_destroy(cdio); }
};

bool Plausible(int frame) {
    return frame != CDIO_INVALID_LBA && frame >= 0 && frame <= kMaxFrames;
}

}  // namespace

std::optional<DiscToc> ReadDiscToc(const std::string& deviceOrImage) {
    // An empty name would make libcdio pick a default device of its own choosing.
    if (deviceOrImage.empty()) return std::nullopt;
    InstallQuietLog();

    const std::unique_ptr<CdIo_t, CdioClose> cdio(cdio_open(deviceOrImage.c_str(), DRIVER_UNKNOWN));
    if (!cdio) return std::nullopt;

    const track_t first = cdio_get_first_track_num(cdio.get());
    const track_t count = cdio_get_num_tracks(cdio.get());
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count < 1 || first < 1 ||
        first + count - 1 > 99)
        return std::nullopt;

    DiscToc toc;
    int previous = -1;
    for (int number = first; number < first + count; ++number) {
        const auto track = static_cast<track_t>(number);
        const int start = cdio_get_track_lba(cdio.get(), track);
        const track_format_t format = cdio_get_track_format(cdio.get(), track);
        if (!Plausible(start) || start <= previous || format == TRACK_FORMAT_ERROR)
            return std::nullopt;
        toc.tracks.push_back({number, start, format == TRACK_FORMAT_AUDIO});
        previous = start;
    }
    toc.leadOutFrame = cdio_get_track_lba(cdio.get(), CDIO_CDROM_LEADOUT_TRACK);
    if (!Plausible(toc.leadOutFrame) || toc.leadOutFrame <= previous) return std::nullopt;
    return toc;
}

}  // namespace ov2
