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
#include <unordered_set>

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

// The discs of the database by number, the first found from the head for each number.
std::unordered_map<std::string_view, COvDisc*> FirstDiscByNumber(const COvDiscDatabase& database) {
    std::unordered_map<std::string_view, COvDisc*> discs;
    for (const auto& disc : database.m_lstDiscs) discs.try_emplace(disc->m_strNumber.view(), disc.get());
    return discs;
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
    m_lstLeftOut.clear();
    try {
        if (FileCheck()) return Outcome::Missing;
        m_pDatabase = GetFiles(SortObjects(GetDisc(GetTree(std::move(m_pDatabase)))));
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
    for (int i = 0; i < 4; ++i) {
        const std::string path = missing ? std::string() : OldFilePath(kOldFiles[i]);
        if (path.empty()) {
            missing = true;
            m_strMissing += std::to_string(++counter) + ": " + kOldFiles[i] + " \r\n";
        } else if (i == 0) {
            m_lstOldDiscs = ReadOldFile(path, ov2::ReadOldDiscs);
        } else if (i == 1) {
            m_lstOldCategories = ReadOldFile(path, ov2::ReadOldCategories);
        } else if (i == 2) {
            m_lstOldFiles = ReadOldFile(path, ov2::ReadOldFiles);
        }  // Tree.ovdt is only looked for here
    }
    return missing ? 1 : 0;
}

std::unique_ptr<COvDiscDatabase> CConvertProcedure::GetTree(std::unique_ptr<COvDiscDatabase> database) {
    const std::string path = OldFilePath(kOldFiles[3]);
    if (path.empty()) throw CArchiveException(m_strFolder + "/Tree.ovdt: the file is gone");
    std::ostringstream text;
    std::ifstream in = OpenOldFile(path);
    text << in.rdbuf();
    if (in.bad()) throw CArchiveException(path + ": the file cannot be read");

    // Collected in file order, handed over reversed: each disc went to the head in turn.
    std::vector<std::shared_ptr<COvDisc>> discs;
    std::string outline;
    auto finishPending = [&] {
        if (!m_pPendingDisc) return;
        m_pPendingDisc->m_strFolderTree = outline;
        discs.push_back(std::move(m_pPendingDisc));
    };
    ov2::ForEachTreeLine(text.view(), [&](std::string_view line) {
        if (line.empty()) return;
        if (line.find('\t') == std::string_view::npos) {
            finishPending();
            m_pPendingDisc = std::make_shared<COvDisc>();
            m_pPendingDisc->m_strNumber = GetNumber(line);
            outline.assign(line);
            outline += "\r\n";
        } else if (m_pPendingDisc) {
            outline.append(line);
            outline += "\r\n";
        }
    });
    finishPending();
    database->m_lstDiscs.insert(database->m_lstDiscs.begin(), discs.rbegin(), discs.rend());
    return database;
}

std::unique_ptr<COvDiscDatabase> CConvertProcedure::GetDisc(std::unique_ptr<COvDiscDatabase> database) {
    // The discs of each number, from the last to the first.
    // Own keys: copying the number from an old disc replaces the text a view would point into.
    std::unordered_map<std::string, std::vector<COvDisc*>> discsByNumber;
    for (auto it = database->m_lstDiscs.rbegin(); it != database->m_lstDiscs.rend(); ++it)
        discsByNumber[(*it)->m_strNumber.str()].push_back(it->get());
    for (auto old = m_lstOldDiscs.rbegin(); old != m_lstOldDiscs.rend(); ++old) {
        const auto found = discsByNumber.find((*old)->m_strNumber.str());
        if (found == discsByNumber.end()) continue;  // an old disc without a tree disc
        for (COvDisc* disc : found->second) {
            const CDisc& from = **old;
            disc->m_strName = from.m_strName;
            disc->m_strNotes = from.m_strNotes;
            disc->m_strArtist = from.m_strArtist;
            disc->m_strSavedAt = from.m_strSavedAt;
            disc->m_strLendDate = from.m_strLendDate;
            disc->m_strLocation = from.m_strLocation;
            disc->m_strNumber = from.m_strNumber;
            disc->m_strQuality = from.m_strQuality;
            // Each name went to the head of the list in turn, so they end up reversed.
            disc->m_lstCategories.insert(disc->m_lstCategories.begin(), from.m_lstCategories.rbegin(),
                                         from.m_lstCategories.rend());
        }
    }
    return database;
}

std::unique_ptr<COvDiscDatabase> CConvertProcedure::SortObjects(std::unique_ptr<COvDiscDatabase> database) {
    std::vector<int> values;
    values.reserve(database->m_lstDiscs.size());
    for (const auto& disc : database->m_lstDiscs) values.push_back(ParseLeadingInt(disc->m_strNumber));
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());  // each disc moves once

    std::unordered_map<std::string_view, std::shared_ptr<COvDisc>> first;
    for (const auto& disc : database->m_lstDiscs) first.try_emplace(disc->m_strNumber.view(), disc);
    auto sorted = std::make_unique<COvDiscDatabase>();
    for (int value : values) {
        const auto found = first.find(std::to_string(value));
        if (found != first.end()) sorted->m_lstDiscs.push_back(found->second);
    }
    // Each disc went to the head in turn: the new database runs in descending order.
    std::reverse(sorted->m_lstDiscs.begin(), sorted->m_lstDiscs.end());
    if (sorted->m_lstDiscs.size() != database->m_lstDiscs.size()) {
        std::unordered_set<const COvDisc*> kept;
        for (const auto& disc : sorted->m_lstDiscs) kept.insert(disc.get());
        for (const auto& disc : database->m_lstDiscs)
            if (kept.count(disc.get()) == 0) m_lstLeftOut.push_back(disc->m_strNumber.str());
    }
    return sorted;
}

std::string CConvertProcedure::LeftOutMessage() const {
    if (m_lstLeftOut.empty()) return std::string();
    // The tree file lists them last to first.
    std::string numbers;
    for (auto it = m_lstLeftOut.rbegin(); it != m_lstLeftOut.rend(); ++it)
        numbers += (numbers.empty() ? "" : ", ") + (it->empty() ? std::string("(none)") : *it);
    return std::to_string(m_lstLeftOut.size()) +
           " disc(s) of the old catalogue were not converted: their numbers are not plain whole "
           "numbers, or another disc has the same number.\r\nNumbers: " + numbers;
}

std::unique_ptr<COvDiscDatabase> CConvertProcedure::GetFiles(std::unique_ptr<COvDiscDatabase> database) {
    const auto discs = FirstDiscByNumber(*database);
    for (const auto& old : m_lstOldFiles) {
        const auto found = discs.find(old->m_strDiscNumber.view());
        if (found == discs.end()) continue;  // a file of a disc that is not converted
        auto file = std::make_shared<COvFileData>();
        file->m_strFileName = old->m_strFileName;
        file->m_strFolder = old->m_strFolder;
        file->m_strSize = old->m_strSize;
        file->m_strDrive = old->m_strDrive;
        file->m_lstCategories = old->m_lstCategories;
        found->second->m_lstFiles.push_back(std::move(file));
    }
    auto& categories = database->m_pCategories->m_strings;
    categories.insert(categories.end(), m_lstOldCategories.begin(), m_lstOldCategories.end());
    return database;
}

std::string CConvertProcedure::GetNumber(std::string_view line) {
    const std::size_t blank = line.find(' ');
    return blank == std::string_view::npos ? std::string() : std::string(line.substr(0, blank));
}
