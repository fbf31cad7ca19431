#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/file_facts.h"
#include "core/object.h"
#include "core/ov_file_data.h"
#include "core/ov_string.h"

// A catalogued disc: its file records, its categories and its label texts.
//
// A copy of a disc (the document's working copy) shares the file records of the original, so
// records stay alive for as long as any disc, copy or view holds them.
class COvDisc final : public CObject {
    OV_DECLARE_SERIAL(COvDisc)
public:
    std::vector<std::shared_ptr<COvFileData>> m_lstFiles;  // in the order the scan found them
    std::vector<std::string> m_lstCategories;  // attached categories, in attachment order
    OvString m_strFolderTree;  // folder outline: root line "number name", then TAB-indented folders
    OvString m_strLendDate;    // "%B %d %Y" of the last lending; empty if never lent
    OvString m_strSavedAt;     // "%B %d %Y" of the day the disc was catalogued
    OvString m_strLocation;    // "home" while available, else the borrower's name
    OvString m_strArtist;
    OvString m_strNotes;       // lines separated by CR LF
    OvString m_strQuality;
    OvString m_strName;
    OvString m_strNumber;      // decimal text without leading zeros, unique in the catalogue
    // The volume it was scanned from; kept, like the files' facts, in the settings.
    ov2::DiscFacts m_facts;

    int GetCount() const { return static_cast<int>(m_lstFiles.size()); }

    // The number of files as "%d".
    std::string GetFileCountText() const;
    // The sum of the files' sizes, shown as every size of the program is ("%0.3f MB").
    std::string GetFullSizeText() const;

    void Serialize(CArchive& ar) override;
};
