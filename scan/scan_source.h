#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/file_facts.h"
#include "platform/drives.h"

// What a scan of a drive letter walks: the folder of its mounted disc, the track files of an
// audio CD (or of a CUE/BIN image mapped as a drive), the tree inside an ISO image, or nothing. A data disc that is inserted
// but not mounted is mounted first through the desktop's mounter; when that fails the scan says
// so instead of recording an empty disc.
namespace ov2 {

struct ScanSource {
    enum class Kind {
        NoDrive,      // the letter names no drive
        Nothing,      // no disc in the drive, or one that shows nothing: an empty disc
        Folder,       // walk `root`
        IsoImage,     // walk the ISO 9660 image `root`
        AudioTracks,  // record `tracks` as TrackNN.cda
        Unmounted,    // a disc without a mounted file system that could not be mounted
    };
    Kind kind = Kind::Nothing;
    Drive drive;
    std::string root;
    std::vector<int> tracks;
    std::string message;  // Unmounted: what to tell the user
};

// The services ResolveScanSource uses; tests replace them, as no test machine has a CD drive.
struct ScanSourceServices {
    std::function<std::optional<Drive>(char letter)> findDrive;
    // The audio tracks of a disc's table of contents: empty for a data disc, none without one.
    std::function<std::optional<std::vector<int>>(const std::string& device)> audioTracks;
    // Mounts the disc in the device; false when it did not happen.
    std::function<bool(const std::string& device)> mount;

    // The machine's: the drives layer, the disc's table of contents and UDisks2 (udisksctl).
    // `whileWaiting` runs now and then while the mounter works, e.g. to keep a window painted.
    static ScanSourceServices Machine(std::function<void()> whileWaiting = {});
};

ScanSource ResolveScanSource(char letter, const ScanSourceServices& services);

// What to tell the user when the folder or image of a Folder or IsoImage source cannot be read
// (`reason` says why); it names the folder or image.
std::string UnreadableMessage(const ScanSource& source, const std::string& reason);

// What the scan records of the volume it walks: the mounted file system of a folder, the
// image's own descriptors, the drive's model for an audio CD; and the time of the scan.
DiscFacts SourceVolumeFacts(const ScanSource& source);

// Whether the source is a disc in an optical drive, where reading files for their fingerprints
// costs a seek each (an image of a disc is not).
bool IsOpticalSource(const ScanSource& source);

// Asks UDisks2 to mount the block device, without asking the user for a password, and waits
// at most `timeoutMs`. True when the mounter reports success.
bool MountWithUdisks(const std::string& device, int timeoutMs,
                     const std::function<void()>& whileWaiting);

}  // namespace ov2
