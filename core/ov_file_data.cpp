#include "core/ov_file_data.h"

#include "core/archive.h"
#include "core/string_list.h"

OV_IMPLEMENT_SERIAL(COvFileData, 0, true);

std::string COvFileData::DiscFileName() const {
    const std::string_view name = m_strFileName.view();
    if (name.find(".cda") == std::string_view::npos || name.find("Track") != std::string_view::npos)
        return std::string(name);
    const std::size_t blank = name.find(' ');
    const std::string_view number =
        blank == std::string_view::npos ? std::string_view() : name.substr(0, blank);
    return "Track" + std::string(number) + ".cda";
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
