#include "platform/drives_added.h"

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <system_error>

#include "platform/audio_cd.h"
#include "platform/drives.h"
#include "platform/iso_image.h"
#include "platform/text.h"

namespace ov2 {
namespace {

const QString kGroup = QStringLiteral("Drives");

QSettings Settings() {
    return QSettings(QStringLiteral("Ov2"), QStringLiteral("Ov2"));
}

QString Key(char letter) {
    return QString(QLatin1Char(letter));
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// Why a folder or image cannot be catalogued; empty when it can.
std::string Unreadable(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status))
        return "The folder or image " + Quoted(path) + " cannot be read: " +
               (error ? error.message() : std::string("it does not exist")) + ".";
    if (std::filesystem::is_directory(status)) {
        DIR* dir = opendir(path.c_str());
        if (!dir)
            return "The folder " + Quoted(path) + " cannot be read: " + std::strerror(errno) + ".";
        closedir(dir);
        return {};
    }
    const bool cue =
        path.size() > 4 && EqualsNoCase(std::string_view(path).substr(path.size() - 4), ".cue");
    if (cue) {
        const std::optional<std::vector<int>> tracks = AudioTrackNumbers(path);
        if (!tracks || tracks->empty())
            return "The CUE sheet " + Quoted(path) +
                   " cannot be read as an audio CD (its data must be the .bin file of the same "
                   "name beside it).";
        return {};
    }
    std::vector<ImageEntry> entries;
    std::string reason;
    if (!ListIsoImage(path, entries, &reason))
        return "The disc image " + Quoted(path) + " cannot be read: " + reason;
    return {};
}

}  // namespace

bool DriveMapOverridden() {
    const char* map = std::getenv("OV2_DRIVES");
    return map && std::string_view(map).find_first_not_of(" \t\r\n") != std::string_view::npos;
}

std::vector<AddedDrive> RememberedDrives() {
    QSettings settings = Settings();
    settings.beginGroup(kGroup);
    std::vector<AddedDrive> drives;
    for (const QString& key : settings.childKeys()) {
        if (key.size() != 1 || key[0] < QLatin1Char('A') || key[0] > QLatin1Char('Z')) continue;
        const QByteArray path = settings.value(key).toByteArray();
        if (!path.startsWith('/')) continue;
        drives.push_back({static_cast<char>(key[0].unicode()), path.toStdString()});
    }
    std::sort(drives.begin(), drives.end(),
              [](const AddedDrive& a, const AddedDrive& b) { return a.letter < b.letter; });
    return drives;
}

std::optional<char> FirstFreeLetter(const std::vector<Drive>& drives) {
    for (char letter = 'D'; letter <= 'Z'; ++letter) {
        if (std::none_of(drives.begin(), drives.end(),
                         [letter](const Drive& d) { return d.letter == letter; }))
            return letter;
    }
    return std::nullopt;
}

std::optional<Drive> AddDrive(const std::string& givenPath, std::string* error) {
    auto fail = [error](std::string reason) -> std::optional<Drive> {
        if (error) *error = std::move(reason);
        return std::nullopt;
    };
    if (DriveMapOverridden())
        return fail("OV2_DRIVES sets the drives, so an added folder or image would not show. Unset "
                    "OV2_DRIVES to add one.");
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(givenPath, ignored);
    std::string path = absolute.lexically_normal().string();
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (std::string reason = Unreadable(path); !reason.empty()) return fail(std::move(reason));

    const std::vector<Drive> drives = ListDrives();
    for (const AddedDrive& added : RememberedDrives()) {
        if (added.path != path) continue;
        const auto same = std::find_if(drives.begin(), drives.end(),
                                       [&](const Drive& d) { return d.letter == added.letter; });
        if (same != drives.end() && same->added) return *same;
    }
    const std::optional<char> letter = FirstFreeLetter(drives);
    if (!letter)
        return fail("Every drive letter from D: to Z: is in use; forget a drive to add " +
                    Quoted(path) + ".");

    QSettings settings = Settings();
    settings.beginGroup(kGroup);
    settings.setValue(Key(*letter), QByteArray::fromStdString(path));
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return fail("The drive for " + Quoted(path) +
                    " could not be remembered: the settings file cannot be written.");
    return FindDrive(*letter);
}

bool ForgetDrive(char letter) {
    QSettings settings = Settings();
    settings.beginGroup(kGroup);
    if (!settings.contains(Key(letter))) return false;
    settings.remove(Key(letter));
    return true;
}

}  // namespace ov2
