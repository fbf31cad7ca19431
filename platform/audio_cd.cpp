#include "platform/audio_cd.h"

#include <cstdio>

#include "platform/disc_toc.h"
#include "platform/text.h"

namespace ov2 {
namespace {

char UpperLetter(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The letter of "e", "e:" or "e:\" (either case).
std::optional<char> LetterOf(std::string_view driveRoot) {
    if (driveRoot.empty()) return std::nullopt;
    const char letter = UpperLetter(driveRoot[0]);
    if (letter < 'A' || letter > 'Z') return std::nullopt;
    const std::string_view rest = driveRoot.substr(1);
    if (rest.empty() || rest == ":" || rest == ":\\" || rest == ":/") return letter;
    return std::nullopt;
}

// A drive shows track files only while no file system of its disc is mounted: a mounted disc
// shows that file system instead, and an ISO image is a file system.
bool ShowsTrackFiles(const Drive& drive) {
    return drive.type == DriveType::CdRom && drive.root.empty() && !drive.device.empty() &&
           !drive.iso;
}

bool HasAudioTrack(const Drive& drive, int track) {
    if (!ShowsTrackFiles(drive)) return false;
    const std::optional<std::vector<int>> tracks = AudioTrackNumbers(drive.device);
    if (!tracks) return false;
    for (int number : *tracks) {
        if (number == track) return true;
    }
    return false;
}

}  // namespace

std::optional<std::vector<int>> AudioTrackNumbers(const std::string& deviceOrImage) {
    const std::optional<DiscToc> toc = ReadDiscToc(deviceOrImage);
    if (!toc) return std::nullopt;
    std::vector<int> numbers;
    for (const TocTrack& track : toc->tracks) {
        if (track.audio) numbers.push_back(track.number);
    }
    return numbers;
}

std::string TrackFileName(int track) {
    char name[32];
    std::snprintf(name, sizeof name, "Track%02d.cda", track);
    return name;
}

std::vector<std::string> TrackFileNames(const std::vector<int>& tracks) {
    std::vector<std::string> names;
    names.reserve(tracks.size());
    for (int track : tracks) names.push_back(TrackFileName(track));
    return names;
}

std::optional<int> TrackNumberOfFileName(std::string_view fileName) {
    constexpr std::string_view kPrefix = "track";
    constexpr std::string_view kSuffix = ".cda";
    if (fileName.size() < kPrefix.size() + 2 + kSuffix.size()) return std::nullopt;
    if (!EqualsNoCase(fileName.substr(0, kPrefix.size()), kPrefix) ||
        !EqualsNoCase(fileName.substr(fileName.size() - kSuffix.size()), kSuffix))
        return std::nullopt;
    const std::string_view digits =
        fileName.substr(kPrefix.size(), fileName.size() - kPrefix.size() - kSuffix.size());
    // A disc has at most 99 tracks; more digits are no track of one.
    if (digits.size() > 2) return std::nullopt;
    int number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
    }
    if (number < 1) return std::nullopt;
    return number;
}

QString TrackUrl(const Drive& drive, int track) {
    if (drive.image || drive.device.empty() || track < 1) return {};
    // The backend names a drive by its device's name ("sr0") and a track by its plain number.
    const std::size_t slash = drive.device.rfind('/');
    const std::string device = drive.device.substr(slash == std::string::npos ? 0 : slash + 1);
    if (device.empty()) return {};
    return QStringLiteral("cdda://%1/Track %2.wav").arg(QString::fromStdString(device)).arg(track);
}

std::optional<AudioTrackPlace> LocateAudioTrack(std::string_view recordedFullPath) {
    const std::size_t slash = recordedFullPath.find('\\');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::optional<char> recordedLetter = LetterOf(recordedFullPath.substr(0, slash + 1));
    const std::string_view rest = recordedFullPath.substr(slash + 1);
    // Track files exist only in the root.
    if (!recordedLetter || rest.find_first_of("\\/") != std::string_view::npos) return std::nullopt;
    const std::optional<int> track = TrackNumberOfFileName(rest);
    if (!track) return std::nullopt;

    const std::vector<Drive> drives = ListDrives();
    for (const Drive& drive : drives) {
        if (drive.letter == *recordedLetter && HasAudioTrack(drive, *track))
            return AudioTrackPlace{drive, *track};
    }
    for (const Drive& drive : drives) {
        if (drive.letter != *recordedLetter && HasAudioTrack(drive, *track))
            return AudioTrackPlace{drive, *track};
    }
    return std::nullopt;
}

std::optional<std::string> TocDeviceOf(std::string_view driveRoot) {
    if (!driveRoot.empty() && driveRoot.front() == '/') return std::string(driveRoot);
    const std::vector<Drive> drives = ListDrives();
    if (driveRoot.empty()) {
        for (const Drive& drive : drives) {
            if (drive.type == DriveType::CdRom && !drive.device.empty()) return drive.device;
        }
        return std::nullopt;
    }
    const std::optional<char> letter = LetterOf(driveRoot);
    if (!letter) return std::nullopt;
    for (const Drive& drive : drives) {
        if (drive.letter == *letter && !drive.device.empty()) return drive.device;
    }
    return std::nullopt;
}

}  // namespace ov2
