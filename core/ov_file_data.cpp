#include "core/ov_file_data.h"

#include "core/archive.h"
#include "core/string_list.h"

OV_IMPLEMENT_SERIAL(COvFileData, 0, true);

std::string COvFileData::DiscFileName() const {
    // A titled track is "NN title.cda" exactly: two digits, a blank, the title. Anything else
    // ("Track07.cda", "setup.exe", "Back on Track.cda") is the name on the disc.
    const std::string_view name = m_strFileName.view();
    constexpr std::string_view kSuffix = ".cda";
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (name.size() < 3 + kSuffix.size() || !digit(name[0]) || !digit(name[1]) || name[2] != ' ' ||
        name.substr(name.size() - kSuffix.size()) != kSuffix)
        return std::string(name);
    return "Track" + std::string(name.substr(0, 2)) + ".cda";
}

void COvFileData::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteString(m_strFileName);
        ar.WriteString(m_strFolder);
        ar.WriteString(m_strSize);
        ar.WriteString(m_strDrive);
    } else {
        m_strFileName = ar.ReadOvString();
        // Consecutive files mostly lie in one folder of one drive: share those texts.
        m_strFolder = ar.ReadSharedString(CArchive::FolderSlot);
        m_strSize = ar.ReadOvString();
        m_strDrive = ar.ReadSharedString(CArchive::DriveSlot);
    }
    SerializeStrings(ar, m_lstCategories);
}
