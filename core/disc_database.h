#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/map_string_to_ob.h"
#include "core/ov_disc.h"
#include "core/string_list.h"

class CArchive;

// The catalogue in memory: the discs in ascending number order, the names of all categories,
// and the per-catalogue settings (the remembered search and borrower entries, the freedb server).
class COvDiscDatabase {
public:
    COvDiscDatabase();
    ~COvDiscDatabase();
    COvDiscDatabase(const COvDiscDatabase&) = delete;
    COvDiscDatabase& operator=(const COvDiscDatabase&) = delete;

    std::vector<std::shared_ptr<COvDisc>> m_lstDiscs;  // ascending by number
    std::unique_ptr<CMapStringToOb> m_pSettings;
    std::unique_ptr<CStringList> m_pCategories;

    int GetCount() const { return static_cast<int>(m_lstDiscs.size()); }
    bool IsEmpty() const { return m_lstDiscs.empty(); }
    void AddTail(std::shared_ptr<COvDisc> disc) { m_lstDiscs.push_back(std::move(disc)); }

    // The first disc from the head whose number is exactly `number`.
    COvDisc* FindDisc(std::string_view number) const;
    bool DiscExists(std::string_view number) const { return FindDisc(number) != nullptr; }
    // Removes the disc; its file records live on while a working copy still holds them.
    void DeleteDisc(std::string_view number);
    // Sets the disc's name and the name in the root line of its outline.
    void SetDiscName(std::string_view number, std::string_view name);
    void SetDiscDetails(std::string_view number, std::string_view artist, std::string_view quality,
                        std::string_view notes);
    // Renumbers a disc and moves it to its sorted place. Returns the number of the disc that now
    // precedes it, or "0" when it went to the head or nothing changed.
    std::string ChangeDiscNumber(std::string_view oldNumber, std::string_view newNumber);

    // Discs, then category names, then the settings map.
    void Serialize(CArchive& ar);
    // The class that a settings entry the program uses must have; null for any other key.
    static const OvRuntimeClass* ExpectedSettingClass(std::string_view key);

    // Empties the discs, the categories and the settings.
    void RemoveAll();

    // The root line of an outline: the text before its first CR LF.
    static std::string_view RootLine(std::string_view outline);
    // A name made safe for a root line: CR, LF and TAB become blanks, so that no name can
    // pose as further outline lines.
    static std::string OutlineSafeName(std::string_view name);

private:
    std::vector<std::shared_ptr<COvDisc>>::iterator Position(const COvDisc* disc);
};
