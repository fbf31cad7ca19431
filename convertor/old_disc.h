#pragma once

#include <string>
#include <vector>

#include "core/object.h"
#include "core/ov_string.h"

// A disc as the previous version kept it in "Data.dat". Old records are only ever read.
class CDisc final : public CObject {
    OV_DECLARE_SERIAL(CDisc)
public:
    OvString m_strNumber;
    OvString m_strName;
    OvString m_strLocation{"home"};  // "home" while available, else the borrower's name
    OvString m_strQuality;
    OvString m_strArtist;
    OvString m_strNotes;
    std::vector<std::string> m_lstCategories;
    // Three texts of the old version that the new catalogue has no place for; read and dropped.
    OvString m_strFurther3;
    OvString m_strSavedAt;
    OvString m_strLendDate;
    OvString m_strFurther2;
    OvString m_strFurther1;

    void Serialize(CArchive& ar) override;
};
