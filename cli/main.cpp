// ov2cat: looks into catalogue files from the command line, makes them from JSON, and reads the
// table of contents of an audio CD.

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog_ops/catalogue_search.h"
#include "catalog_ops/disc_gaps.h"
#include "cli/catalogue_json.h"
#include "cli/convert_command.h"
#include "cli/dupes_command.h"
#include "cli/export_command.h"
#include "cli/find_command.h"
#include "cli/freedb_command.h"
#include "cli/scan_command.h"
#include "cli/toc_command.h"
#include "cli/usage.h"
#include "core/catalogue_file.h"
#include "core/catalogue_lock.h"
#include "core/catalogue_save.h"
#include "core/disc_database.h"
#include "platform/text.h"

namespace {

int Usage() {
    std::fputs(ov2::UsageText().c_str(), stderr);
    return 2;
}

// Reports a failure as one line on standard error and gives the exit code of a failure. The
// reason may quote bytes from the file (a class name) and a file name may hold any byte, so
// control characters are shown as escapes and the message stays one line.
int Fail(std::string_view file, std::string_view reason) {
    std::string line = "ov2cat: ";
    auto append = [&line](std::string_view text) {
        for (char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte == 0x7F) {
                char escape[5];
                std::snprintf(escape, sizeof escape, "\\x%02X", byte);
                line += escape;
            } else {
                line += c;
            }
        }
    };
    if (!file.empty()) {
        append(file);
        line += ": ";
    }
    append(reason);
    line += '\n';
    std::fputs(line.c_str(), stderr);
    return 1;
}

int Fail(std::string_view file, const QString& reason) { return Fail(file, reason.toUtf8().toStdString()); }

// Standard output may be a full disk or a closed pipe: that is a failure, not a success.
int WriteOut(std::string_view bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0)
        return Fail("standard output", std::string_view(std::strerror(errno)));
    return 0;
}

// A catalogue that somebody has open for editing is not written behind their back (the last to
// save would win and the other's work would be gone); --force says the user knows better.
bool LockedAgainstWriting(const char* file, bool force) {
    if (force) return false;
    const CCatalogueLock::Inspection inspection = CCatalogueLock::Inspect(QFile::decodeName(file));
    if (inspection.state != CCatalogueLock::State::Held) return false;
    Fail(file, CCatalogueLock::Describe(*inspection.owner));
    return true;
}

bool IsForce(int argc, char** argv, int at) {
    return argc > at && std::string_view(argv[at]) == "--force";
}

bool Read(const char* file, COvDiscDatabase& database) {
    std::string error;
    if (ReadCatalogueFile(file, database, &error)) return true;
    Fail(file, error);
    return false;
}

int Dump(const char* file) {
    COvDiscDatabase database;
    if (!Read(file, database)) return 1;
    QJsonObject json;
    QString error;
    if (!CatalogueToJson(database, &json, &error)) return Fail(file, error);
    const QByteArray text = QJsonDocument(json).toJson(QJsonDocument::Indented);
    return WriteOut(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
}

int Stat(const char* file) {
    COvDiscDatabase database;
    if (!Read(file, database)) return 1;
    std::size_t files = 0;
    for (const auto& disc : database.m_lstDiscs) files += disc->m_lstFiles.size();
    const std::string line = "discs " + std::to_string(database.m_lstDiscs.size()) + " files " +
                             std::to_string(files) + " categories " +
                             std::to_string(database.m_pCategories->m_strings.size()) + "\n";
    return WriteOut(line);
}

// The list stops at the gap finder's limit; a last line says so, as the gaps dialog does.
int Gaps(const char* file) {
    COvDiscDatabase database;
    if (!Read(file, database)) return 1;
    const ov2::DiscGaps gaps = ov2::FindDiscGaps(database);
    std::string text;
    for (const std::string& number : gaps.numbers) text += number + "\n";
    if (gaps.cut) text += "cut at " + std::to_string(ov2::kMaxListedGaps) + "\n";
    return WriteOut(text);
}

// The rows of a result window, its columns separated by TAB, in catalogue order.
int Search(const char* file, const ov2::SearchQuery& query) {
    COvDiscDatabase database;
    if (!Read(file, database)) return 1;
    std::string text;
    for (const ov2::SearchHit& hit : ov2::SearchCatalogue(database, query)) {
        const std::vector<std::string> columns = ov2::HitColumns(hit);
        for (std::size_t i = 0; i < columns.size(); ++i) text += (i ? "\t" : "") + columns[i];
        text += '\n';
    }
    return WriteOut(text);
}

// search FILE PATTERN [--discs] [--category NAME]...; none for any other arguments.
std::optional<ov2::SearchQuery> SearchArguments(int argc, char** argv) {
    if (argc < 4) return std::nullopt;
    ov2::SearchQuery query;
    query.pattern = argv[3];
    query.files = true;
    for (int i = 4; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--discs") {
            query.files = false;
        } else if (option == "--category" && i + 1 < argc) {
            query.byCategory = true;
            query.categories.emplace_back(argv[++i]);
        } else {
            return std::nullopt;
        }
    }
    return query;
}

int Build(const char* jsonFile, const char* outFile, bool force) {
    if (LockedAgainstWriting(outFile, force)) return 1;
    QFile source(QFile::decodeName(jsonFile));
    if (!source.open(QIODevice::ReadOnly)) return Fail(jsonFile, source.errorString());
    const QByteArray text = source.readAll();
    if (source.error() != QFileDevice::NoError) return Fail(jsonFile, source.errorString());

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (document.isNull())
        return Fail(jsonFile, QStringLiteral("%1 at offset %2").arg(parseError.errorString()).arg(parseError.offset));
    if (!document.isObject()) return Fail(jsonFile, QStringLiteral("expected an object"));
    COvDiscDatabase database;
    QString shapeError;
    if (!CatalogueFromJson(document.object(), database, &shapeError)) return Fail(jsonFile, shapeError);

    // The JSON can describe what the reader refuses (a "CDDB" that is no map, objects nested
    // deeper than the reader follows); such a file would be a catalogue nobody can open.
    std::string error;
    switch (ov2::SaveCatalogueFile(QFile::decodeName(outFile), database, &error)) {
        case ov2::SaveFault::None:
            return 0;
        case ov2::SaveFault::Catalogue:
            return Fail(jsonFile, error);
        case ov2::SaveFault::File:
            break;
    }
    return Fail(outFile, error);
}

int Toc(const char* driveOrImage) {
    const std::optional<std::string> text = TocText(driveOrImage);
    if (text) return WriteOut(*text);
    // A folder or an ISO image holds files, not audio tracks: say so rather than blame the
    // reading. ("E", "e:" and "e:\" are drive letters, whatever lies in the working folder.)
    const std::string_view name = driveOrImage;
    std::error_code error;
    const auto status = std::filesystem::status(name, error);
    const bool cue = name.size() > 4 && ov2::EqualsNoCase(name.substr(name.size() - 4), ".cue");
    if ((name.size() > 3 || name.find('/') != std::string_view::npos) &&
        (std::filesystem::is_directory(status) ||
         (std::filesystem::is_regular_file(status) && !cue)))
        return Fail(driveOrImage, std::string_view("Could not read track information: a folder or "
                                                   "an ISO image has files, not audio tracks"));
    return Fail(driveOrImage, std::string_view("Could not read track information"));
}

// freedb [--site SITE] [--hello USER@HOST] DRIVE_OR_IMAGE
int Freedb(int argc, char** argv) {
    std::string site, hello;
    int i = 2;
    for (; i + 1 < argc; i += 2) {
        const std::string_view option = argv[i];
        if (option == "--site")
            site = argv[i + 1];
        else if (option == "--hello")
            hello = argv[i + 1];
        else
            break;
    }
    if (i != argc - 1) return Usage();
    // The transfer waits in an event loop of its own.
    QCoreApplication app(argc, argv);
    const FreedbCommandResult result = LookUpOnFreedb(argv[i], site, hello);
    if (!result.ok) return Fail(result.what, result.reason);
    return WriteOut(result.output);
}

// Takes "--NAME" (true) or "--no-NAME" (false) into `value` once; false for any other option
// and for a second one of the pair.
bool TakeSwitch(std::string_view option, std::string_view name, std::optional<bool>& value) {
    if (value || !option.starts_with("--")) return false;
    option.remove_prefix(2);
    const bool off = option.starts_with("no-");
    if (off) option.remove_prefix(3);
    if (option != name) return false;
    value = !off;
    return true;
}

// scan SOURCE FILE.ovd [--name NAME] [--letter X] [--archives|--no-archives]
// [--fingerprint|--no-fingerprint] [--force], the options in any order.
int Scan(int argc, char** argv) {
    std::optional<std::string> name, letter;
    std::optional<bool> archives, fingerprint;
    bool force = false;
    for (int i = 4; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--force" && !force) {
            force = true;
            continue;
        }
        if (TakeSwitch(option, "archives", archives) || TakeSwitch(option, "fingerprint", fingerprint))
            continue;
        if (i + 1 >= argc) return Usage();
        if (option == "--name" && !name)
            name = argv[++i];
        else if (option == "--letter" && !letter)
            letter = argv[++i];
        else
            return Usage();
    }
    if (LockedAgainstWriting(argv[3], force)) return 1;
    const ScanCommandResult result = ScanIntoCatalogue(
        argv[2], argv[3], std::move(name), std::move(letter), archives.value_or(true), fingerprint);
    if (!result.ok) return Fail(result.what, result.reason);
    return WriteOut(result.output);
}

// rescan SOURCE FILE.ovd --disc N [--letter X] [--yes] [--archives|--no-archives]
// [--fingerprint|--no-fingerprint] [--force], the options in any order.
int Rescan(int argc, char** argv) {
    std::optional<std::string> number, letter;
    bool apply = false, force = false;
    std::optional<bool> archives, fingerprint;
    for (int i = 4; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--yes" && !apply) {
            apply = true;
            continue;
        }
        if (TakeSwitch(option, "archives", archives) || TakeSwitch(option, "fingerprint", fingerprint))
            continue;
        if (option == "--force" && !force) {
            force = true;
            continue;
        }
        if (i + 1 >= argc) return Usage();
        if (option == "--disc" && !number)
            number = argv[++i];
        else if (option == "--letter" && !letter)
            letter = argv[++i];
        else
            return Usage();
    }
    if (!number) return Usage();
    // Only the report without --yes leaves the catalogue alone.
    if (apply && LockedAgainstWriting(argv[3], force)) return 1;
    const ScanCommandResult result = RescanInCatalogue(argv[2], argv[3], *number, letter, apply,
                                                       archives.value_or(true), fingerprint);
    if (!result.ok) return Fail(result.what, result.reason);
    if (!result.warning.empty()) std::fputs(("ov2cat: " + result.warning + "\n").c_str(), stderr);
    return WriteOut(result.output);
}

// find [--json] QUERY FILE.ovd..., --json anywhere after the verb; a malformed query exits 2.
int Find(int argc, char** argv) {
    bool json = false;
    std::vector<std::string> words;
    for (int i = 2; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--json" && !json)
            json = true;
        else
            words.emplace_back(argv[i]);
    }
    if (words.size() < 2) return Usage();
    const FindCommandResult result =
        FindInCatalogues(words.front(), std::vector<std::string>(words.begin() + 1, words.end()), json);
    switch (result.status) {
        case FindCommandResult::Status::BadQuery:
            std::fputs(("ov2cat: " + result.reason + "\n").c_str(), stderr);
            return 2;
        case FindCommandResult::Status::Unreadable:
            return Fail(result.what, result.reason);
        case FindCommandResult::Status::Ok:
            break;
    }
    return WriteOut(result.output);
}

// Missing files: their numbered list, a line each, on standard error.
int Convert(const char* oldFolder, const char* catalogue, bool force) {
    if (LockedAgainstWriting(catalogue, force)) return 1;
    const ConvertCommandResult result = ConvertOldCatalogue(oldFolder, catalogue);
    if (!result.ok) {
        const std::size_t list = result.reason.find('\n');
        Fail(result.what, std::string_view(result.reason).substr(0, list));
        if (list != std::string::npos) std::fputs((result.reason.substr(list + 1) + "\n").c_str(), stderr);
        return 1;
    }
    if (!result.warning.empty()) {
        std::string warning = result.warning;
        for (std::size_t at; (at = warning.find("\r\n")) != std::string::npos;) warning.replace(at, 2, " ");
        std::fputs(("ov2cat: " + warning + "\n").c_str(), stderr);
    }
    return WriteOut(result.output);
}

int Dupes(int argc, char** argv) {
    const DupesCommandResult result =
        FindCopiesInCatalogues(std::vector<std::string>(argv + 2, argv + argc));
    switch (result.status) {
        case DupesCommandResult::Status::BadArguments:
            if (result.reason.empty()) return Usage();
            std::fputs(("ov2cat: " + result.reason + "\n").c_str(), stderr);
            return 2;
        case DupesCommandResult::Status::Unreadable:
            return Fail(result.what, result.reason);
        case DupesCommandResult::Status::Ok:
            break;
    }
    return WriteOut(result.output);
}

int Report(const ExportCommandResult& result) {
    switch (result.status) {
        case ExportCommandResult::Status::BadArguments:
            return Usage();
        case ExportCommandResult::Status::Failed:
            return Fail(result.what, result.reason);
        case ExportCommandResult::Status::Ok:
            break;
    }
    return WriteOut(result.output);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view verb = argc > 1 ? argv[1] : "";
    // Asked for, the usage is the answer: on standard output, and a success.
    const auto isHelp = [](std::string_view option) {
        return option == "--help" || option == "-h";
    };
    if (argc == 2 && (isHelp(verb) || verb == "help")) return WriteOut(ov2::UsageText());
    if (argc == 2 && verb == "--version") return WriteOut("ov2cat " OV2_VERSION "\n");
    if (argc == 3 && isHelp(argv[2]))
        if (const std::optional<std::string> help = ov2::CommandHelpText(verb))
            return WriteOut(*help);
    if (verb == "dump" && argc == 3) return Dump(argv[2]);
    if (verb == "stat" && argc == 3) return Stat(argv[2]);
    if (verb == "gaps" && argc == 3) return Gaps(argv[2]);
    if (verb == "search")
        if (const std::optional<ov2::SearchQuery> query = SearchArguments(argc, argv))
            return Search(argv[2], *query);
    if (verb == "find" && argc >= 4) return Find(argc, argv);
    if (verb == "dupes" && argc >= 3) return Dupes(argc, argv);
    if (verb == "build" && (argc == 4 || (argc == 5 && IsForce(argc, argv, 4))))
        return Build(argv[2], argv[3], argc == 5);
    if (verb == "toc" && argc == 3) return Toc(argv[2]);
    if (verb == "freedb" && argc >= 3) return Freedb(argc, argv);
    if (verb == "drives" && argc == 2) return WriteOut(DrivesText());
    if (verb == "convert" && (argc == 4 || (argc == 5 && IsForce(argc, argv, 4))))
        return Convert(argv[2], argv[3], argc == 5);
    if (verb == "scan" && argc >= 4) return Scan(argc, argv);
    if (verb == "rescan" && argc >= 6) return Rescan(argc, argv);
    if (verb == "export" && argc >= 6)
        return Report(ExportFromCatalogue(std::vector<std::string>(argv + 2, argv + argc)));
    if (verb == "import" && (argc == 4 || (argc == 5 && IsForce(argc, argv, 4)))) {
        if (LockedAgainstWriting(argv[3], argc == 5)) return 1;
        return Report(ImportIntoCatalogue(argv[2], argv[3]));
    }
    return Usage();
}
