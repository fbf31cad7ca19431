#include "core/map_string_to_ob.h"

#include "core/archive.h"

OV_IMPLEMENT_SERIAL(CMapStringToOb, 0, false);

void CMapStringToOb::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteCount(m_map.GetCount());
        m_map.ForEach([&ar](const std::string& key, const std::shared_ptr<CObject>& value) {
            ar.WriteString(key);
            ar.WriteObject(value.get());
        });
        return;
    }
    const std::size_t count = ar.ReadCount(3);
    for (std::size_t i = 0; i < count; ++i) {
        std::string key = ar.ReadString();
        m_map.SetAt(key, ar.ReadObject(nullptr, true));
    }
}
