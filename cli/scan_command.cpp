#include "cli/scan_command.h"

#include <QCoreApplication>
#include <QFile>
#include <filesystem>
#include <system_error>

#include "core/catalogue_file.h"
#include "core/catalogue_save.h"
#include "core/number_text.h"
#include "core/ov2_doc.h"
#include "platform/clock.h"
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

}  // namespace

ScanCommandResult ScanIntoCatalogue(std::string_view letterText, const std::string& cataloguePath,
                                    std::optional<std::string> name) {
    const std::string letterArg(letterText);
    const std::optional<char> letter = DriveLetter(letterText);
    if (!letter) return Failure(letterArg, "not a drive letter");

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
        ov2::ResolveScanSource(*letter, ov2::ScanSourceServices::Machine());
    const std::string driveRoot{*letter, ':', '\\'};
    CDiscWalk walk(driveRoot);
    switch (source.kind) {
        case ov2::ScanSource::Kind::NoDrive:
            return Failure(letterArg, "no such drive");
        case ov2::ScanSource::Kind::Nothing:
            return Failure(driveRoot, "no disc in the drive");
        case ov2::ScanSource::Kind::Unmounted:
            return Failure(driveRoot, source.message);
        case ov2::ScanSource::Kind::Folder:
            if (!walk.WalkFolder(source.root))
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
