#include "core/string_list.h"

#include <algorithm>

#include "core/archive.h"

OV_IMPLEMENT_SERIAL(CStringList, 0, false);

void SerializeStrings(CArchive& ar, std::vector<std::string>& strings) {
    if (ar.IsStoring()) {
        ar.WriteCount(strings.size());
        for (const std::string& s : strings) ar.WriteString(s);
        return;
    }
    const std::size_t count = ar.ReadCount(1);
    strings.reserve(strings.size() + std::min<std::size_t>(count, 256));  // the count is not trusted
    for (std::size_t i = 0; i < count; ++i) strings.push_back(ar.ReadString());
}
