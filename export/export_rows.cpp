#include "export/export_rows.h"

#include <QDateTime>
#include <charconv>
#include <ctime>

#include "core/disc_database.h"
#include "find/find_index.h"
#include "find/find_query.h"
#include "platform/text.h"

namespace ov2::exporting {

ExportSelection WholeCatalogue(const COvDiscDatabase& database) {
    ExportSelection selection(database.m_lstDiscs.size());
    for (std::size_t i = 0; i < selection.size(); ++i)
        selection[i].disc = static_cast<std::uint32_t>(i);
    return selection;
}

std::optional<ExportSelection> DiscsByNumber(const COvDiscDatabase& database,
                                             const std::vector<std::string>& numbers,
                                             std::string* error) {
    std::vector<bool> wanted(database.m_lstDiscs.size(), false);
    for (const std::string& number : numbers) {
        bool found = false;
        for (std::size_t i = 0; i < database.m_lstDiscs.size(); ++i)
            if (database.m_lstDiscs[i]->m_strNumber == number) wanted[i] = found = true;
        if (!found) {
            if (error) *error = "there is no disc " + number;
            return std::nullopt;
        }
    }
    ExportSelection selection;
    for (std::size_t i = 0; i < wanted.size(); ++i)
        if (wanted[i]) selection.push_back({static_cast<std::uint32_t>(i), true, {}});
    return selection;
}

std::optional<ExportSelection> FilesFound(const COvDiscDatabase& database,
                                          const ExportSelection& within, std::string_view query,
                                          std::string* error) {
    const find::ParseOutcome parsed = find::ParseQuery(query);
    if (!parsed.query) {
        if (error) *error = parsed.error;
        return std::nullopt;
    }
    const find::Outcome outcome = find::RunOnce(*parsed.query, database);
    if (outcome.folders) {
        if (error) *error = "the query finds folders; an export takes files";
        return std::nullopt;
    }
    std::vector<const ExportPick*> allowed(database.m_lstDiscs.size(), nullptr);
    for (const ExportPick& pick : within) allowed[pick.disc] = &pick;
    ExportSelection selection;
    for (const find::Hit& hit : outcome.hits) {
        const ExportPick* pick = allowed[hit.disc];
        if (!pick) continue;
        if (!pick->allFiles &&
            !std::binary_search(pick->files.begin(), pick->files.end(), hit.item))
            continue;
        if (selection.empty() || selection.back().disc != hit.disc)
            selection.push_back({hit.disc, false, {}});
        selection.back().files.push_back(hit.item);
    }
    return selection;
}

std::size_t FileCount(const COvDiscDatabase& database, const ExportSelection& selection) {
    std::size_t count = 0;
    for (const ExportPick& pick : selection)
        count +=
            pick.allFiles ? database.m_lstDiscs[pick.disc]->m_lstFiles.size() : pick.files.size();
    return count;
}

std::string Utf8(std::string_view bytes) {
    if (IsAscii(bytes)) return std::string(bytes);
    const QByteArray utf8 = DecodeText(bytes).toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

std::optional<std::int64_t> WholeNumber(std::string_view text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [at, fault] = std::from_chars(text.data(), end, value);
    if (text.empty() || fault != std::errc() || at != end) return std::nullopt;
    // Only the number's own spelling: "007" or "+7" would not come back as they were.
    if (std::to_string(value) != text) return std::nullopt;
    return value;
}

DiscRow MakeDiscRow(const COvDisc& disc) {
    DiscRow row;
    row.record = &disc;
    row.number = Utf8(disc.m_strNumber);
    row.name = Utf8(disc.m_strName);
    row.artist = Utf8(disc.m_strArtist);
    row.location = Utf8(disc.m_strLocation);
    row.lendDate = Utf8(disc.m_strLendDate);
    row.savedAt = Utf8(disc.m_strSavedAt);
    row.quality = Utf8(disc.m_strQuality);
    row.notes = Utf8(disc.m_strNotes);
    row.outline = Utf8(disc.m_strFolderTree);
    for (const std::string& category : disc.m_lstCategories)
        row.categories.push_back(Utf8(category));
    row.numberValue = WholeNumber(disc.m_strNumber);
    return row;
}

std::string_view Extension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    return name.substr(dot + 1);
}

void FillFileRow(const COvFileData& file, FileRow& row) {
    // The files of one folder share its text; it is decoded again only when it changes.
    const std::string_view folder = file.m_strFolder;
    if (row.folder.empty() || !IsAscii(folder) || row.folder != folder) row.folder = Utf8(folder);
    row.name = Utf8(file.m_strFileName);
    row.extension = std::string(Extension(row.name));
    row.sizeText = Utf8(file.m_strSize);
    row.size = WholeNumber(file.m_strSize);
    row.modified = file.m_facts.HasTime() ? ModifiedText(file.m_facts.modified) : std::string();
    row.categories.clear();
    for (const std::string& category : file.m_lstCategories)
        row.categories.push_back(Utf8(category));
}

std::string ModifiedText(std::int64_t seconds) {
    // The C library rather than QDateTime: an export writes a time on every row.
    const auto time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    char text[32];
    if (gmtime_r(&time, &parts) && parts.tm_year >= 1000 - 1900 && parts.tm_year <= 9999 - 1900 &&
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts) > 0)
        return text;
    return std::to_string(seconds);
}

std::optional<std::int64_t> ParseModified(std::string_view text) {
    std::optional<std::int64_t> seconds;
    if (const std::optional<std::int64_t> number = WholeNumber(text)) {
        seconds = number;
    } else if (!text.empty() && text.find('T') != std::string_view::npos) {
        const QDateTime time =
            QDateTime::fromString(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), Qt::ISODate);
        // A time without its zone would be read in the zone of whoever imports it.
        if (time.isValid() && time.timeSpec() != Qt::LocalTime && time.toMSecsSinceEpoch() % 1000 == 0)
            seconds = time.toSecsSinceEpoch();
    }
    if (seconds && (*seconds <= FileFacts::kNoTime || *seconds >= -FileFacts::kNoTime)) return std::nullopt;
    return seconds;
}

}  // namespace ov2::exporting
