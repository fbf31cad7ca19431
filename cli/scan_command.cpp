#include "cli/scan_command.h"

#include <QCoreApplication>
#include <QFile>
#include <filesystem>
#include <system_error>

#include "core/catalogue_file.h"
#include "core/catalogue_save.h"
#include "core/number_text.h"
#include "core/ov2_doc.h"
#include "platform/audio_cd.h"
#include "platform/clock.h"
#include "platform/drives_added.h"
#include "platform/text.h"
#include "scan/disc_walk.h"
#include "scan/next_disc_number.h"
#include "scan/scan_source.h"

namespace {

std::optional<char> DriveLetter(std::string_view text) {
    if (text.empty()) return std::nullopt;
    char letter = text[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z') return std::nullopt;
    const std::string_view rest = text.substr(1);
    if (!rest.empty() && rest != ":" && rest != ":\\" && rest != ":/") return std::nullopt;
    return letter;
}

ScanCommandResult Failure(std::string what, std::string reason) {
    ScanCommandResult result;
    result.what = std::move(what);
    result.reason = std::move(reason);
    return result;
}

bool EndsWithCue(std::string_view path) {
    return path.size() > 4 && ov2::EqualsNoCase(path.substr(path.size() - 4), ".cue");
}

// What a folder or image given in place of a letter holds; none, with the reason, when it cannot
// be read as one.
std::optional<ov2::ScanSource> SourceOfPath(const std::string& path, std::string* reason) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status)) {
        *reason = "not a drive letter, and no such folder or image";
        return std::nullopt;
    }
    ov2::ScanSource source;
    source.root = path;
    if (std::filesystem::is_directory(status)) {
        source.kind = ov2::ScanSource::Kind::Folder;
    } else if (EndsWithCue(path)) {
        const std::optional<std::vector<int>> tracks = ov2::AudioTrackNumbers(path);
        if (!tracks || tracks->empty()) {
            *reason = "cannot be read as an audio CD (its data must be the .bin of the same name)";
            return std::nullopt;
        }
        source.kind = ov2::ScanSource::Kind::AudioTracks;
        source.tracks = *tracks;
    } else {
        source.kind = ov2::ScanSource::Kind::IsoImage;
    }
    return source;
}

const char* TypeName(ov2::DriveType type) {
    switch (type) {
        case ov2::DriveType::Removable: return "removable";
        case ov2::DriveType::Fixed: return "fixed";
        case ov2::DriveType::Remote: return "remote";
        case ov2::DriveType::CdRom: return "cdrom";
        case ov2::DriveType::RamDisk: return "ram";
        case ov2::DriveType::Unknown: break;
    }
    return "unknown";
}

// A field of a TAB-separated line: a TAB or line break in a path would split it.
std::string Field(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

}  // namespace

std::string DrivesText() {
    std::string text;
    for (const ov2::Drive& drive : ov2::ListDrives()) {
        text += std::string{drive.letter, ':'} + '\t' + TypeName(drive.type) + '\t' +
                Field(drive.root.empty() ? drive.device : drive.root) + '\t' + Field(drive.label) +
                '\n';
    }
    return text;
}

ScanCommandResult ScanIntoCatalogue(std::string_view sourceText, const std::string& cataloguePath,
                                    std::optional<std::string> name,
                                    std::optional<std::string> letterOption) {
    const std::string sourceArg(sourceText);
    std::optional<char> letter = DriveLetter(sourceText);
    std::optional<ov2::ScanSource> pathSource;
    if (letter && letterOption)
        return Failure(*letterOption, "--letter goes with a folder or an image, not a drive");
    if (!letter) {
        std::string reason;
        pathSource = SourceOfPath(sourceArg, &reason);
        if (!pathSource) return Failure(sourceArg, reason);
        letter = letterOption ? DriveLetter(*letterOption)
                              : ov2::FirstFreeLetter(ov2::ListDrives());
        if (!letter)
            return Failure(letterOption.value_or(sourceArg),
                           letterOption ? "not a drive letter" : "every drive letter is in use");
    }

    // The catalogue first: a file that cannot be read is left alone, whatever the drive holds.
    COv2Doc doc;  // a new catalogue has the settings the program gives one
    doc.DeleteContents();
    std::error_code error;
    if (std::filesystem::exists(cataloguePath, error)) {
        doc.m_pDatabase->RemoveAll();
        std::string reason;
        if (!ReadCatalogueFile(cataloguePath, *doc.m_pDatabase, &reason))
            return Failure(cataloguePath, reason);
    }

    // Mounting a data disc runs the desktop's mounter, which wants an application object.
    int argc = 1;
    char program[] = "ov2cat";
    char* argv[] = {program, nullptr};
    std::optional<QCoreApplication> application;
    if (!QCoreApplication::instance()) application.emplace(argc, argv);
    const ov2::ScanSource source =
        pathSource ? *pathSource
                   : ov2::ResolveScanSource(*letter, ov2::ScanSourceServices::Machine());
    const std::string driveRoot{*letter, ':', '\\'};
    CDiscWalk walk(driveRoot);
    switch (source.kind) {
        case ov2::ScanSource::Kind::NoDrive:
            return Failure(sourceArg, "no such drive");
        case ov2::ScanSource::Kind::Nothing:
            return Failure(driveRoot, "no disc in the drive");
        case ov2::ScanSource::Kind::Unmounted:
            return Failure(driveRoot, source.message);
        case ov2::ScanSource::Kind::Folder:
            if (!walk.WalkFolder(source.root))
                return Failure(source.root, "cannot be read: " + walk.RootError());
            break;
        case ov2::ScanSource::Kind::IsoImage:
            if (!walk.WalkIsoImage(source.root))
                return Failure(source.root, "cannot be read: " + walk.RootError());
            break;
        case ov2::ScanSource::Kind::AudioTracks:
            walk.WalkAudioTracks(source.tracks);
            break;
    }

    auto disc = std::make_shared<COvDisc>();
    const std::string number = ov2::NextDiscNumber(*doc.m_pDatabase);
    const std::string discName = name.value_or("Untitled");
    const double totalBytes = walk.TotalBytes();
    const int fileCount = walk.FileCount();
    disc->m_strFolderTree = walk.FolderOutline(number + " " + discName);
    disc->m_lstFiles = walk.TakeFiles();
    disc->m_strNumber = number;
    disc->m_strName = discName;
    disc->m_strSavedAt = ov2::TodayText();
    disc->m_strLocation = "home";
    doc.m_pDatabase->AddTail(std::move(disc));

    std::string reason;
    if (ov2::SaveCatalogueFile(QFile::decodeName(cataloguePath.c_str()), *doc.m_pDatabase,
                               &reason) != ov2::SaveFault::None)
        return Failure(cataloguePath, reason);

    ScanCommandResult result;
    result.ok = true;
    result.output = "disc " + number + " files " + std::to_string(fileCount) + " size " +
                    FormatSizeText(totalBytes) + "\n";
    return result;
}
