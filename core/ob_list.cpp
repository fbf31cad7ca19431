#include "core/ob_list.h"

#include "core/archive.h"

OV_IMPLEMENT_SERIAL(CObList, 0, false);

void CObList::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteCount(m_objects.size());
        for (const auto& object : m_objects) ar.WriteObject(object.get());
        return;
    }
    const std::size_t count = ar.ReadCount(2);
    for (std::size_t i = 0; i < count; ++i) m_objects.push_back(ar.ReadObject(nullptr, true));
}
