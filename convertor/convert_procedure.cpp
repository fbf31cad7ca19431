#include "convertor/convert_procedure.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <sstream>
#include <unordered_map>

#include "convertor/old_files.h"
#include "core/archive.h"
#include "core/number_text.h"
#include "platform/drives.h"

namespace {

constexpr const char* kOldFiles[] = {"Data.dat", "Cat.dat", "FileData.dat", "Tree.ovdt"};

// Opens an old file for reading only; fails naming the file.
std::ifstream OpenOldFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) throw CArchiveException(path + ": not a file");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw CArchiveException(path + ": the file cannot be opened (" + std::strerror(errno) + ")");
    return in;
}

// Reads an old file with `read`; a failure names the file.
template <class Read>
auto ReadOldFile(const std::string& path, Read read) {
    std::ifstream in = OpenOldFile(path);
    try {
        return read(in);
    } catch (const CArchiveException& e) {
        throw CArchiveException(path + ": " + e.what());
    }
}

// The discs of the database ordered by number, those of one number in the database's order.
// A sorted list of pointers: a map of numbers would cost many times more for a large tree.
std::vector<COvDisc*> DiscsByNumber(const COvDiscDatabase& database) {
    std::vector<COvDisc*> discs;
    discs.reserve(database.m_lstDiscs.size());
    for (const auto& disc : database.m_lstDiscs) discs.push_back(disc.get());
    std::stable_sort(discs.begin(), discs.end(), [](const COvDisc* a, const COvDisc* b) {
        return a->m_strNumber.view() < b->m_strNumber.view();
    });
    return discs;
}

// The discs with the number, in the database's order.
std::pair<std::vector<COvDisc*>::const_iterator, std::vector<COvDisc*>::const_iterator> FindDiscs(
    const std::vector<COvDisc*>& discs, std::string_view number) {
    struct ByNumber {
        bool operator()(const COvDisc* disc, std::string_view n) const {
            return disc->m_strNumber.view() < n;
        }
        bool operator()(std::string_view n, const COvDisc* disc) const {
            return n < disc->m_strNumber.view();
        }
    };
    return std::equal_range(discs.begin(), discs.end(), number, ByNumber{});
}

// Whether the number is the "%d" form of a whole number: only such a number names its disc when
// the discs are sorted.
bool IsPlainNumber(std::string_view number) {
    return std::to_string(ParseLeadingInt(number)) == number;
}

}  // namespace

CConvertProcedure::CConvertProcedure() : m_pDatabase(std::make_unique<COvDiscDatabase>()) {}

CConvertProcedure::~CConvertProcedure() = default;

std::string CConvertProcedure::OldFilePath(std::string_view name) const {
    return ov2::ResolveInFolder(m_strFolder, name).value_or(std::string());
}

CConvertProcedure::Outcome CConvertProcedure::Convert() {
    m_lstOldDiscs.clear();
    m_lstOldFiles.clear();
    m_lstOldCategories.clear();
    m_pPendingDisc.reset();
    m_pDatabase = std::make_unique<COvDiscDatabase>();
    m_strError.clear();
    m_nLeftOut = 0;
    m_lstLeftOut.clear();
    try {
        if (FileCheck()) return Outcome::Missing;
        auto database = GetDisc(GetTree(std::move(m_pDatabase)));
        m_lstOldDiscs.clear();  // read once: their memory serves the files now
        m_pDatabase = GetFiles(SortObjects(std::move(database)));
        m_lstOldFiles.clear();
        return Outcome::Converted;
    } catch (const CArchiveException& e) {
        m_strError = e.what();
    } catch (const std::bad_alloc&) {
        m_strError = m_strFolder + ": not enough memory to convert the old catalogue";
    }
    // Nothing of a catalogue that failed halfway is handed over.
    m_pDatabase = std::make_unique<COvDiscDatabase>();
    m_pPendingDisc.reset();
    return Outcome::Unreadable;
}

std::string CConvertProcedure::MissingMessage() const {
    return "The Needed Old Files:\r\n\n" + m_strMissing +
           "\r\n\nhave Not Been Found.\r\nThe Convert Process has been terminated!";
}

int CConvertProcedure::FileCheck() {
    m_strMissing.clear();
    int counter = 0;
    bool missing = false;
    std::string paths[4];
    for (int i = 0; i < 4; ++i) {
        if (!missing) paths[i] = OldFilePath(kOldFiles[i]);
        if (paths[i].empty()) {
            missing = true;
            m_strMissing += std::to_string(++counter) + ": " + kOldFiles[i] + " \r\n";
        }
    }
    // A broken Data.dat beside nothing else is an incomplete catalogue, not a broken one.
    if (missing) return 1;
    m_lstOldDiscs = ReadOldFile(paths[0], ov2::ReadOldDiscs);
    m_lstOldCategories = ReadOldFile(paths[1], ov2::ReadOldCategories);
    m_lstOldFiles = ReadOldFile(paths[2], ov2::ReadOldFiles);
    return 0;  // Tree.ovdt is only looked for here
}

std::unique_ptr<COvDiscDatabase> CConvertProcedure::GetTree(std::unique_ptr<COvDiscDatabase> database) {
    const std::string path = OldFilePath(kOldFiles[3]);
    if (path.empty()) throw CArchiveException(m_strFolder + "/Tree.ovdt: the file is gone");
    std::ostringstream text;
    std::ifstream in = OpenOldFile(path);
    text << in.rdbuf();
    if (in.bad()) throw CArchiveException(path + ": the file cannot be read");

    // Collected in file order, handed over reversed: each disc went to the head in turn. A disc
    // whose number is not plain is left out at its root line; one whose number a later root line
    // repeats is left out when that line comes (SortObjects would find the later one first).
    struct Kept {
        std::size_t index;  // in discs
        std::size_t line;
    };
    std::vector<std::shared_ptr<COvDisc>> discs;
    std::unordered_map<int, Kept> byValue;
    std::string outline;
    std::size_t line = 0, pendingLine = 0;
    auto finishPending = [&] {
        if (!m_pPendingDisc) return;
        m_pPendingDisc->m_strFolderTree = outline;
        const auto [found, fresh] = byValue.try_emplace(
            ParseLeadingInt(m_pPendingDisc->m_strNumber), Kept{discs.size(), pendingLine});
        if (!fresh) {
            NoteLeftOut(found->second.line, discs[found->second.index]->m_strNumber);
            discs[found->second.index].reset();
            found->second = Kept{discs.size(), pendingLine};
        }
        discs.push_back(std::move(m_pPendingDisc));
    };
    ov2::ForEachTreeLine(text.view(), [&](std::string_view text) {
        ++line;
        if (text.empty()) return;
        if (text.find('\t') == std::string_view::npos) {
            finishPending();
            const std::string number = GetNumber(text);
            if (!IsPlainNumber(number)) {
                NoteLeftOut(line, number);  // its folder lines that follow go with it
                return;
            }
            m_pPendingDisc = std::make_shared<COvDisc>();
            m_pPendingDisc->m_strNumber = number;
            pendingLine = line;
            outline.assign(text);
            outline += "\r\n";
        } else if (m_pPendingDisc) {
            outline.append(text);
            outline += "\r\n";
        }
    });
    finishPending();
    std::erase(discs, nullptr);
    database->m_lstDiscs.insert(database->m_lstDiscs.begin(), discs.rbegin(), discs.rend());
    return database;
}

void CConvertProcedure::NoteLeftOut(std::size_t line, std::string_view number) {
    ++m_nLeftOut;
    if (m_lstLeftOut.size() == kShownLeftOut && line > m_lstLeftOut.back().line) return;
    const auto place = std::upper_bound(m_lstLeftOut.begin(), m_lstLeftOut.end(), line,
                                        [](std::size_t l, const LeftOut& o) { return l < o.line; });
    m_lstLeftOut.insert(place, LeftOut{line, std::string(number)});
    if (m_lstLeftOut.size() > kShownLeftOut) m_lstLeftOut.pop_back();
}

std::unique_ptr<COvDiscDatabase> CConvertProcedure::GetDisc(std::unique_ptr<COvDiscDatabase> database) {
    const std::vector<COvDisc*> discs = DiscsByNumber(*database);
    for (auto old = m_lstOldDiscs.rbegin(); old != m_lstOldDiscs.rend(); ++old) {
        const auto [first, last] = FindDiscs(discs, (*old)->m_strNumber);
        // The discs of the number from the last to the first; an old disc without one is dropped.
        for (auto it = last; it != first;) {
            COvDisc* disc = *--it;
            const CDisc& from = **old;
            disc->m_strName = from.m_strName;
            disc->m_strNotes = from.m_strNotes;
            disc->m_strArtist = from.m_strArtist;
            disc->m_strSavedAt = from.m_strSavedAt;
            disc->m_strLendDate = from.m_strLendDate;
            disc->m_strLocation = from.m_strLocation;
            disc->m_strNumber = from.m_strNumber;  // the same text: the order of `discs` holds
            disc->m_strQuality = from.m_strQuality;
            // Each name went to the head of the list in turn, so they end up reversed.
            disc->m_lstCategories.insert(disc->m_lstCategories.begin(), from.m_lstCategories.rbegin(),
                                         from.m_lstCategories.rend());
        }
    }
    return database;
}

std::unique_ptr<COvDiscDatabase> CConvertProcedure::SortObjects(std::unique_ptr<COvDiscDatabase> database) {
    const auto& list = database->m_lstDiscs;
    // Each value once, ascending; for each, the first disc from the head whose number is its
    // "%d" form. A sort of (value, place) pairs: a map of numbers would cost many times more.
    std::vector<std::pair<int, std::size_t>> order;
    order.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i)
        order.emplace_back(ParseLeadingInt(list[i]->m_strNumber), i);
    std::sort(order.begin(), order.end());
    auto sorted = std::make_unique<COvDiscDatabase>();
    std::vector<bool> kept(list.size());
    for (std::size_t k = 0; k < order.size();) {
        const int value = order[k].first;
        const std::string number = std::to_string(value);
        bool found = false;
        for (; k < order.size() && order[k].first == value; ++k) {
            if (found || list[order[k].second]->m_strNumber.view() != number) continue;
            found = kept[order[k].second] = true;
            sorted->m_lstDiscs.push_back(list[order[k].second]);
        }
    }
    // Each disc went to the head in turn: the new database runs in descending order.
    std::reverse(sorted->m_lstDiscs.begin(), sorted->m_lstDiscs.end());
    // The database runs in the reverse order of the tree file.
    for (std::size_t i = 0; i < list.size(); ++i)
        if (!kept[i]) NoteLeftOut(list.size() - 1 - i, list[i]->m_strNumber);
    return sorted;
}

std::string CConvertProcedure::LeftOutMessage() const {
    if (m_nLeftOut == 0) return std::string();
    std::string numbers;
    for (const LeftOut& disc : m_lstLeftOut)
        numbers += (numbers.empty() ? "" : ", ") +
                   (disc.number.empty() ? std::string("(none)") : disc.number);
    // A hostile tree file may leave out millions: the box names the first ones only.
    if (m_nLeftOut > m_lstLeftOut.size())
        numbers += " and " + std::to_string(m_nLeftOut - m_lstLeftOut.size()) + " more";
    return std::to_string(m_nLeftOut) +
           " disc(s) of the old catalogue were not converted: their numbers are not plain whole "
           "numbers, or another disc has the same number.\r\nNumbers: " +
           numbers;
}

std::unique_ptr<COvDiscDatabase> CConvertProcedure::GetFiles(std::unique_ptr<COvDiscDatabase> database) {
    const std::vector<COvDisc*> discs = DiscsByNumber(*database);
    for (auto& old : m_lstOldFiles) {
        if (!old) continue;
        const auto found = FindDiscs(discs, old->m_strDiscNumber);
        if (found.first == found.second) continue;  // a file of a disc that is not converted
        auto file = std::make_shared<COvFileData>();
        file->m_strFileName = old->m_strFileName;
        file->m_strFolder = old->m_strFolder;
        file->m_strSize = old->m_strSize;
        file->m_strDrive = old->m_strDrive;
        file->m_lstCategories = std::move(old->m_lstCategories);
        (*found.first)->m_lstFiles.push_back(std::move(file));
        old.reset();  // each old file is let go as its new record takes its place
    }
    auto& categories = database->m_pCategories->m_strings;
    categories.insert(categories.end(), std::make_move_iterator(m_lstOldCategories.begin()),
                      std::make_move_iterator(m_lstOldCategories.end()));
    m_lstOldCategories.clear();
    return database;
}

std::string CConvertProcedure::GetNumber(std::string_view line) {
    const std::size_t blank = line.find(' ');
    return blank == std::string_view::npos ? std::string() : std::string(line.substr(0, blank));
}
