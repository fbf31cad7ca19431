#pragma once

#include <string>
#include <vector>

#include "core/object.h"
#include "core/ov_string.h"

// A file as the previous version kept it in "FileData.dat": the disc it belongs to is named by
// its number. Old records are only ever read.
class CFileData final : public CObject {
    OV_DECLARE_SERIAL(CFileData)
public:
    OvString m_strFileName;
    OvString m_strDiscNumber;
    OvString m_strFolder;
    OvString m_strDrive;
    OvString m_strSize;
    std::vector<std::string> m_lstCategories;

    void Serialize(CArchive& ar) override;
};
