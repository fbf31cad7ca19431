#include "cli/dupes_command.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string_view>

#include "cli/process_end.h"
#include "core/catalogue_file.h"
#include "core/disc_database.h"
#include "dupes/duplicates.h"
#include "find/find_query.h"

namespace {

// A row is one line: TAB, CR and LF inside a text become blanks.
void AppendField(std::string& line, std::string_view text, bool last) {
    for (char c : text) line += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
    line += last ? '\n' : '\t';
}

void AppendRow(std::string& out, std::span<const ov2::dupes::Catalogue> catalogues,
               const ov2::dupes::FileRef& ref) {
    const COvDisc& disc = *catalogues[ref.catalogue].database->m_lstDiscs[ref.disc];
    const COvFileData& file = *disc.m_lstFiles[ref.item];
    AppendField(out, disc.m_strNumber, false);
    AppendField(out, disc.m_strName, false);
    AppendField(out, file.m_strFolder, false);
    AppendField(out, file.m_strFileName, false);
    AppendField(out, file.m_strSize, false);
    AppendField(out, catalogues[ref.catalogue].label, true);
}

}  // namespace

DupesCommandResult FindCopiesInCatalogues(const std::vector<std::string>& arguments) {
    DupesCommandResult result;
    std::vector<std::string> files;
    ov2::dupes::Options options;
    bool single = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "--single") {
            single = true;
        } else if ((argument == "--min-size" || argument == "--category") &&
                   i + 1 < arguments.size()) {
            const std::string& value = arguments[++i];
            if (argument == "--category") {
                options.categories.push_back(value);
                continue;
            }
            const std::optional<std::uint64_t> bytes = ov2::find::ParseByteCount(value);
            if (!bytes) {
                result.status = DupesCommandResult::Status::BadArguments;
                result.reason = "--min-size takes a size such as 1mb, 700kb or 1.5gb.";
                return result;
            }
            options.minSize = std::max<std::uint64_t>(*bytes, 1);
        } else if (argument.starts_with("--")) {
            result.status = DupesCommandResult::Status::BadArguments;
            return result;
        } else {
            files.emplace_back(argument);
        }
    }
    if (files.empty()) {
        result.status = DupesCommandResult::Status::BadArguments;
        return result;
    }
    std::vector<std::unique_ptr<COvDiscDatabase>> databases;
    std::vector<ov2::dupes::Catalogue> catalogues;
    for (const std::string& file : files) {
        auto database = std::make_unique<COvDiscDatabase>();
        std::string error;
        if (!ReadCatalogueFile(file, *database, &error)) {
            result.status = DupesCommandResult::Status::Unreadable;
            result.what = file;
            result.reason = error;
            return result;
        }
        catalogues.push_back({database.get(), std::filesystem::path(file).filename().string()});
        databases.push_back(std::move(database));
    }
    if (single) {
        for (const ov2::dupes::FileRef& ref : ov2::dupes::FindSingleCopies(catalogues, options))
            AppendRow(result.output, catalogues, ref);
    } else {
        bool first = true;
        for (const ov2::dupes::Group& group : ov2::dupes::FindDuplicates(catalogues, options)) {
            if (!first) result.output += '\n';
            first = false;
            for (const ov2::dupes::FileRef& ref : group.files)
                AppendRow(result.output, catalogues, ref);
        }
    }
    for (auto& database : databases) ov2::LeaveToProcessEnd(database);
    return result;
}
