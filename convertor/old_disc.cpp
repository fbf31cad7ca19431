#include "convertor/old_disc.h"

#include "convertor/old_files.h"
#include "core/archive.h"

OV_IMPLEMENT_SERIAL(CDisc, 0, true);

void CDisc::Serialize(CArchive& ar) {
    if (ar.IsStoring()) throw CArchiveException("old discs are only read");
    OvString* const texts[] = {&m_strNumber,  &m_strQuality,  &m_strNotes,    &m_strArtist,
                               &m_strName,    &m_strLocation, &m_strSavedAt,  &m_strFurther1,
                               &m_strFurther2, &m_strLendDate, &m_strFurther3};
    for (OvString* text : texts) *text = ar.ReadOvString();
    ov2::ReadOldNames(ar, m_lstCategories);
}
