#include "convertor/old_file_data.h"

#include "core/archive.h"
#include "core/string_list.h"

OV_IMPLEMENT_SERIAL(CFileData, 0, true);

void CFileData::Serialize(CArchive& ar) {
    if (ar.IsStoring()) throw CArchiveException("old files are only read");
    m_strFileName = ar.ReadOvString();
    m_strDiscNumber = ar.ReadOvString();
    // Consecutive files mostly lie in one folder: share the text, as the catalogue reader does.
    m_strFolder = ar.ReadSharedString(CArchive::FolderSlot);
    m_strSize = ar.ReadOvString();
    m_strDrive = ar.ReadOvString();
    SerializeStrings(ar, m_lstCategories);
}
