#include "core/map_string_to_string.h"

#include "core/archive.h"

OV_IMPLEMENT_SERIAL(CMapStringToString, 0, false);

void CMapStringToString::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteCount(m_map.GetCount());
        m_map.ForEach([&ar](const std::string& key, const std::string& value) {
            ar.WriteString(key);
            ar.WriteString(value);
        });
        return;
    }
    const std::size_t count = ar.ReadCount(2);
    for (std::size_t i = 0; i < count; ++i) {
        std::string key = ar.ReadString();
        m_map.SetAt(key, ar.ReadString());
    }
}
