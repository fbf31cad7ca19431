#include "core/disc_database.h"

#include <algorithm>
#include <optional>

#include "core/archive.h"
#include "core/file_facts.h"
#include "core/map_string_to_string.h"
#include "core/number_text.h"
#include "platform/message_box.h"

namespace {

// Replaces every occurrence of `from` in `text`, left to right, without overlaps.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string result;
    std::size_t start = 0;
    for (std::size_t at; !from.empty() && (at = text.find(from, start)) != std::string_view::npos;
         start = at + from.size())
        result.append(text.substr(start, at - start)).append(to);
    result.append(text.substr(start));
    return result;
}

}  // namespace

const OvRuntimeClass* COvDiscDatabase::ExpectedSettingClass(std::string_view key) {
    if (key == "SearchCombo" || key == "LendCombo") return CStringList::ThisClass();
    if (key == "CDDB") return CMapStringToString::ThisClass();
    return nullptr;
}

COvDiscDatabase::COvDiscDatabase()
    : m_pSettings(std::make_unique<CMapStringToOb>()), m_pCategories(std::make_unique<CStringList>()) {}

COvDiscDatabase::~COvDiscDatabase() = default;

std::string_view COvDiscDatabase::RootLine(std::string_view outline) {
    return outline.substr(0, outline.find("\r\n"));
}

std::string COvDiscDatabase::OutlineSafeName(std::string_view name) {
    std::string safe(name);
    std::replace_if(safe.begin(), safe.end(), [](char c) { return c == '\r' || c == '\n' || c == '\t'; }, ' ');
    return safe;
}

COvDisc* COvDiscDatabase::FindDisc(std::string_view number) const {
    for (const auto& disc : m_lstDiscs)
        if (disc->m_strNumber == number) return disc.get();
    return nullptr;
}

std::vector<std::shared_ptr<COvDisc>>::iterator COvDiscDatabase::Position(const COvDisc* disc) {
    return std::find_if(m_lstDiscs.begin(), m_lstDiscs.end(), [disc](const auto& d) { return d.get() == disc; });
}

void COvDiscDatabase::DeleteDisc(std::string_view number) {
    if (COvDisc* disc = FindDisc(number)) m_lstDiscs.erase(Position(disc));
}

void COvDiscDatabase::SetDiscName(std::string_view number, std::string_view name) {
    COvDisc* disc = FindDisc(number);
    if (!disc) return;
    const std::string_view outline = disc->m_strFolderTree;
    const std::string_view root = RootLine(outline);
    // The number as the root line writes it; an outline without a root line gets the disc's.
    std::string_view firstWord = root.substr(0, root.find(' '));
    if (firstWord.empty()) firstWord = disc->m_strNumber;
    const std::string_view rest = root.size() < outline.size() ? outline.substr(root.size()) : "\r\n";
    std::string newOutline;
    newOutline.append(firstWord).append(" ").append(OutlineSafeName(name)).append(rest);
    disc->m_strFolderTree = newOutline;
    disc->m_strName = name;
}

void COvDiscDatabase::SetDiscDetails(std::string_view number, std::string_view artist,
                                     std::string_view quality, std::string_view notes) {
    if (COvDisc* disc = FindDisc(number)) {
        disc->m_strArtist = artist;
        disc->m_strQuality = quality;
        disc->m_strNotes = notes;
    }
}

std::string COvDiscDatabase::ChangeDiscNumber(std::string_view oldNumber, std::string_view newNumber) {
    COvDisc* disc = FindDisc(oldNumber);
    if (!disc) return "0";
    if (DiscExists(newNumber)) {
        ov2::OvMessageBox("A CD with this number exists already.Please, enter another number.");
        return "0";
    }
    // Only the root line carries the disc's label; a folder that happens to read the same
    // keeps its name.
    const std::string name = OutlineSafeName(disc->m_strName);
    const std::string_view outline = disc->m_strFolderTree;
    const std::string_view root = RootLine(outline);
    std::string newOutline = ReplaceAll(root, std::string(oldNumber) + " " + name, std::string(newNumber) + " " + name);
    newOutline.append(outline.substr(root.size()));
    disc->m_strFolderTree = newOutline;
    disc->m_strNumber = newNumber;

    auto position = Position(disc);
    std::shared_ptr<COvDisc> moving = std::move(*position);
    m_lstDiscs.erase(position);

    // The disc goes after the disc numbered with the largest k below the new number, k in "%d"
    // form; the first such disc from the head, as a lookup of that text would find it.
    const int n = ParseLeadingInt(newNumber);
    auto after = m_lstDiscs.end();
    int best = -1;
    if (n > 0) {
        for (auto it = m_lstDiscs.begin(); it != m_lstDiscs.end(); ++it) {
            const std::optional<int> k = ParseCanonicalInt((*it)->m_strNumber);
            if (k && *k < n && *k > best) {
                best = *k;
                after = it;
            }
        }
    }
    if (after == m_lstDiscs.end()) {
        m_lstDiscs.insert(m_lstDiscs.begin(), std::move(moving));
        return "0";
    }
    std::string previous = (*after)->m_strNumber.str();
    m_lstDiscs.insert(after + 1, std::move(moving));
    return previous;
}

void COvDiscDatabase::RemoveAll() {
    m_lstDiscs.clear();
    m_pCategories->m_strings.clear();
    m_pSettings->m_map.RemoveAll();
}

void COvDiscDatabase::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteCount(m_lstDiscs.size());
        // The facts are built afresh from the records, each disc's right after its records
        // were written, while they are still in the processor's cache; they go last.
        std::shared_ptr<CStringList> facts;
        for (const auto& disc : m_lstDiscs) {
            ar.WriteObject(disc);
            if (std::optional<std::string> text = ov2::PackFacts(*disc)) {
                if (!facts) facts = std::make_shared<CStringList>();
                facts->m_strings.push_back(std::move(*text));
            }
        }
        m_pCategories->Serialize(ar);
        // Without facts the settings are written exactly as they were read.
        const bool stale = m_pSettings->m_map.Lookup(ov2::kFileFactsKey) != nullptr;
        ar.WriteCount(m_pSettings->m_map.GetCount() - (stale ? 1 : 0) + (facts ? 1 : 0));
        m_pSettings->m_map.ForEach([&ar](const std::string& key, const std::shared_ptr<CObject>& value) {
            if (key == ov2::kFileFactsKey) return;
            ar.WriteString(key);
            ar.WriteObject(value.get());
        });
        if (facts) {
            ar.WriteString(ov2::kFileFactsKey);
            ar.WriteObject(facts.get());
        }
        return;
    }
    const std::size_t discs = ar.ReadCount(2);
    for (std::size_t i = 0; i < discs; ++i) m_lstDiscs.push_back(ar.ReadObject<COvDisc>());
    m_pCategories->Serialize(ar);
    // Each entry replaces the entry of the same key that the database already holds.
    const std::size_t settings = ar.ReadCount(3);
    for (std::size_t i = 0; i < settings; ++i) {
        const std::string key = ar.ReadString();
        std::shared_ptr<CObject> value = ar.ReadObject(nullptr);
        if (const OvRuntimeClass* expected = ExpectedSettingClass(key); expected && !value->IsKindOf(expected))
            throw CArchiveException("the setting \"" + key + "\" is not a " + expected->m_lpszClassName);
        m_pSettings->m_map.SetAt(key, std::move(value));
    }
    ov2::UnpackFacts(*this);
}
