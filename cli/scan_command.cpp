#include "cli/scan_command.h"

#include <QCoreApplication>
#include <QFile>
#include <filesystem>
#include <system_error>

#include "cli/process_end.h"
#include "core/catalogue_file.h"
#include "core/catalogue_save.h"
#include "core/number_text.h"
#include "core/ov2_doc.h"
#include "platform/audio_cd.h"
#include "platform/clock.h"
#include "platform/drives_added.h"
#include "platform/text.h"
#include "scan/disc_rescan.h"
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

namespace {

// What a command walks: the drive `letter` as the machine has it, or `pathSource` recorded as a
// disc in that drive.
struct CommandSource {
    std::string text;  // as given
    char letter = 0;
    std::optional<ov2::ScanSource> pathSource;
};

// `fallbackLetter` records a folder or image given without --letter; 0 takes the first letter
// no drive uses.
std::optional<CommandSource> ParseSource(std::string_view sourceText,
                                         const std::optional<std::string>& letterOption,
                                         char fallbackLetter, ScanCommandResult& failure) {
    CommandSource source;
    source.text = std::string(sourceText);
    if (const std::optional<char> letter = DriveLetter(sourceText)) {
        if (letterOption) {
            failure = Failure(*letterOption, "--letter goes with a folder or an image, not a drive");
            return std::nullopt;
        }
        source.letter = *letter;
        return source;
    }
    std::string reason;
    source.pathSource = SourceOfPath(source.text, &reason);
    if (!source.pathSource) {
        failure = Failure(source.text, reason);
        return std::nullopt;
    }
    std::optional<char> letter = letterOption ? DriveLetter(*letterOption)
                                 : fallbackLetter ? std::optional<char>(fallbackLetter)
                                                  : ov2::FirstFreeLetter(ov2::ListDrives());
    if (!letter) {
        failure = Failure(letterOption.value_or(source.text),
                          letterOption ? "not a drive letter" : "every drive letter is in use");
        return std::nullopt;
    }
    source.letter = *letter;
    return source;
}

// The catalogue at `path`, or a new one when there is no file: a file that cannot be read is
// left alone, whatever the drive holds.
bool ReadCatalogue(const std::string& path, COv2Doc& doc, ScanCommandResult& failure) {
    doc.DeleteContents();  // a new catalogue has the settings the program gives one
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return true;
    doc.m_pDatabase->RemoveAll();
    std::string reason;
    if (ReadCatalogueFile(path, *doc.m_pDatabase, &reason)) return true;
    failure = Failure(path, reason);
    return false;
}

// Walks the source; `volume` receives the facts of what was walked. `fingerprint` (by default
// on unless the disc is in an optical drive) has the walk read files for their fingerprints,
// `known` giving those it need not read.
bool Walk(const CommandSource& given, CDiscWalk& walk, ScanCommandResult& failure,
          ov2::DiscFacts& volume, std::optional<bool> fingerprint,
          CDiscWalk::KnownFingerprint known = {}) {
    // Mounting a data disc runs the desktop's mounter, which wants an application object.
    int argc = 1;
    char program[] = "ov2cat";
    char* argv[] = {program, nullptr};
    std::optional<QCoreApplication> application;
    if (!QCoreApplication::instance()) application.emplace(argc, argv);
    const ov2::ScanSource source =
        given.pathSource ? *given.pathSource
                         : ov2::ResolveScanSource(given.letter, ov2::ScanSourceServices::Machine());
    const std::string driveRoot{given.letter, ':', '\\'};
    walk.SetFingerprints(fingerprint.value_or(!ov2::IsOpticalSource(source)), std::move(known));
    volume = ov2::SourceVolumeFacts(source);
    switch (source.kind) {
        case ov2::ScanSource::Kind::NoDrive:
            failure = Failure(given.text, "no such drive");
            return false;
        case ov2::ScanSource::Kind::Nothing:
            failure = Failure(driveRoot, "no disc in the drive");
            return false;
        case ov2::ScanSource::Kind::Unmounted:
            failure = Failure(driveRoot, source.message);
            return false;
        case ov2::ScanSource::Kind::Folder:
            if (walk.WalkFolder(source.root)) return true;
            break;
        case ov2::ScanSource::Kind::IsoImage:
            if (walk.WalkIsoImage(source.root)) return true;
            break;
        case ov2::ScanSource::Kind::AudioTracks:
            walk.WalkAudioTracks(source.tracks);
            return true;
    }
    failure = Failure(source.root, "cannot be read: " + walk.RootError());
    return false;
}

bool Save(const std::string& path, const COv2Doc& doc, ScanCommandResult& failure) {
    std::string reason;
    if (ov2::SaveCatalogueFile(QFile::decodeName(path.c_str()), *doc.m_pDatabase, &reason) ==
        ov2::SaveFault::None)
        return true;
    failure = Failure(path, reason);
    return false;
}

}  // namespace

ScanCommandResult ScanIntoCatalogue(std::string_view sourceText, const std::string& cataloguePath,
                                    std::optional<std::string> name,
                                    std::optional<std::string> letterOption, bool listArchives,
                                    std::optional<bool> fingerprint) {
    ScanCommandResult result;
    const std::optional<CommandSource> source = ParseSource(sourceText, letterOption, 0, result);
    COv2Doc doc;
    if (!source || !ReadCatalogue(cataloguePath, doc, result)) return result;
    CDiscWalk walk(std::string{source->letter, ':', '\\'});
    walk.SetListArchives(listArchives);
    ov2::DiscFacts volume;
    if (!Walk(*source, walk, result, volume, fingerprint)) return result;

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
    disc->m_facts = volume;
    doc.m_pDatabase->AddTail(std::move(disc));
    if (!Save(cataloguePath, doc, result)) return result;

    result.ok = true;
    result.output = "disc " + number + " files " + std::to_string(fileCount) + " size " +
                    FormatSizeText(totalBytes) + "\n";
    if (const std::string summary = volume.Summary(); !summary.empty())
        result.output += "volume: " + summary + "\n";
    if (const std::string archives = walk.Archives().Summary(); !archives.empty())
        result.output += archives + "\n";
    ov2::LeaveToProcessEnd(doc.m_pDatabase);
    return result;
}

ScanCommandResult RescanInCatalogue(std::string_view sourceText, const std::string& cataloguePath,
                                    const std::string& number,
                                    std::optional<std::string> letterOption, bool apply,
                                    bool listArchives, std::optional<bool> fingerprint) {
    ScanCommandResult result;
    COv2Doc doc;
    std::error_code error;
    if (!std::filesystem::exists(cataloguePath, error))
        return Failure(cataloguePath, "no such catalogue");
    if (!ReadCatalogue(cataloguePath, doc, result)) return result;
    COvDisc* disc = doc.m_pDatabase->FindDisc(number);
    if (!disc) return Failure(number, "no disc with this number in the catalogue");
    // A folder or image keeps the letter the disc's records carry.
    const char recorded = disc->m_lstFiles.empty()
                              ? 0
                              : DriveLetter(disc->m_lstFiles.front()->m_strDrive.view()).value_or(0);
    const std::optional<CommandSource> source =
        ParseSource(sourceText, letterOption, recorded, result);
    if (!source) return result;
    CDiscWalk walk(std::string{source->letter, ':', '\\'});
    walk.SetListArchives(listArchives);
    ov2::DiscFacts volume;
    if (!Walk(*source, walk, result, volume, fingerprint, ov2::KnownFingerprints(disc->m_lstFiles)))
        return result;

    const std::string outline = walk.FolderOutline(disc->m_strNumber.view());
    ov2::RescanMerge merge = ov2::MergeRescan(disc->m_lstFiles, walk.TakeFiles());
    if (!merge.sameDisc)
        result.warning = "drive " + std::string{source->letter, ':'} +
                         " seems to hold another disc than disc " + number + " \"" +
                         disc->m_strName.str() + "\": none of its folders or files are there";
    result.output = ov2::RescanSummaryLine(number, merge.summary) + "\n";
    if (apply) {
        ov2::ApplyRescan(*disc, std::move(merge), outline, ov2::TodayText(), volume);
        if (!Save(cataloguePath, doc, result)) return result;
    }
    result.ok = true;
    return result;
}
