#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/drives.h"

// An audio CD as the drive letters show it. A disc without a file system shows one file per
// audio track in its root, "Track01.cda", "Track02.cda", ..., each 44 bytes long, built from
// the disc's table of contents; that is what a scan records and what Open File opens again.
namespace ov2 {

// The size every track file is listed with.
inline constexpr std::uint64_t kTrackFileSize = 44;

// The numbers of the audio tracks in the table of contents of the disc in `deviceOrImage` (a
// drive's device, "/dev/sr0", or a CUE sheet whose data is the .bin of the same name beside it),
// in track order: a mixed disc whose track 1 is data gives {2, 3, ...}. An empty list when the
// disc has a table of contents but no audio track (a data disc); none when no table of contents
// can be read (no disc, no such device or image, a broken image).
std::optional<std::vector<int>> AudioTrackNumbers(const std::string& deviceOrImage);

// "Track01.cda" for track 1: "Track", the number in (at least) two digits, ".cda".
std::string TrackFileName(int track);
// TrackFileName of each number, in the given order: the root listing of an audio CD.
std::vector<std::string> TrackFileNames(const std::vector<int>& tracks);
// The track number of a file name of that form, "Track07.cda" -> 7: exactly two digits, 01 to
// 99, the rest taken without regard to case ("track07.CDA"); none for any other name
// ("07 Intro.cda", "Track7.cda", "Track00.cda", "Track07.cdab").
std::optional<int> TrackNumberOfFileName(std::string_view fileName);

// What the desktop opens for a track of the disc in `drive`, named as its CD-audio backend names
// it: "cdda://sr0/Track 7.wav" for track 7 in /dev/sr0. Empty when there is nothing to open: a
// disc image mapped as a drive, a drive without a device, a track below 1.
QString TrackUrl(const Drive& drive, int track);

// Where an audio track recorded as "e:\Track07.cda" (the file directly in the disc's root) can
// be played now: the recorded drive when it holds an audio disc without a mounted file system
// whose table of contents has audio track 7, else the first CD-ROM drive in letter order that
// does. None for any other recorded path, or when no drive has such a disc.
struct AudioTrackPlace {
    Drive drive;
    int track = 0;
};
std::optional<AudioTrackPlace> LocateAudioTrack(std::string_view recordedFullPath);

// The device or image whose table of contents a drive root names: "" is the first CD-ROM drive
// that has a device, "e", "e:" or "e:\" (either case) that drive's device, and a native path
// ("/dev/sr1", "/tmp/disc.cue") itself. None when the letter names no drive with a device.
std::optional<std::string> TocDeviceOf(std::string_view driveRoot);

}  // namespace ov2
