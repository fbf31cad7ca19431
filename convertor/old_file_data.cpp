#include "convertor/old_file_data.h"

#include "convertor/old_files.h"
#include "core/archive.h"

OV_IMPLEMENT_SERIAL(CFileData, 0, true);

void CFileData::Serialize(CArchive& ar) {
    if (ar.IsStoring()) throw CArchiveException("old files are only read");
    m_strFileName = ar.ReadOvString();
    m_strDiscNumber = ar.ReadOvString();
    // Consecutive files mostly lie in one folder: share the text, as the catalogue reader does.
    m_strFolder = ar.ReadSharedString(CArchive::FolderSlot);
    m_strSize = ar.ReadOvString();
    m_strDrive = ar.ReadOvString();
    ov2::ReadOldNames(ar, m_lstCategories);
}
