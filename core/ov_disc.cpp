#include "core/ov_disc.h"

#include <algorithm>

#include "core/archive.h"
#include "core/number_text.h"
#include "core/string_list.h"

OV_IMPLEMENT_SERIAL(COvDisc, 0, true);

std::string COvDisc::GetFileCountText() const { return std::to_string(GetCount()); }

std::string COvDisc::GetFullSizeText() const {
    double total = 0;
    for (const auto& file : m_lstFiles) total += ParseLeadingDouble(file->m_strSize);
    return FormatSizeText(total);
}

void COvDisc::Serialize(CArchive& ar) {
    OvString* const texts[] = {&m_strNumber,   &m_strQuality, &m_strNotes,
                               &m_strArtist,   &m_strName,    &m_strLocation,
                               &m_strSavedAt,  &m_strLendDate, &m_strFolderTree};
    if (ar.IsStoring()) {
        ar.WriteCount(m_lstFiles.size());
        for (const auto& file : m_lstFiles) ar.WriteObject(file);
        for (const OvString* text : texts) ar.WriteString(*text);
    } else {
        const std::size_t count = ar.ReadCount(2);
        m_lstFiles.reserve(std::min<std::size_t>(count, 4096));  // the count is not trusted
        for (std::size_t i = 0; i < count; ++i) m_lstFiles.push_back(ar.ReadObject<COvFileData>());
        for (OvString* text : texts) *text = ar.ReadOvString();
    }
    SerializeStrings(ar, m_lstCategories);
}
