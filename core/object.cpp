#include "core/object.h"

#include <array>

#include "core/map_string_to_ob.h"
#include "core/map_string_to_string.h"
#include "core/ob_list.h"
#include "core/string_list.h"
#include "core/ov_disc.h"
#include "core/ov_file_data.h"

const OvRuntimeClass* FindRuntimeClass(std::string_view name) {
    static const std::array<const OvRuntimeClass*, 6> classes = {
        &COvDisc::classCOvDisc,           &COvFileData::classCOvFileData,
        &CStringList::classCStringList,   &CMapStringToString::classCMapStringToString,
        &CObList::classCObList,           &CMapStringToOb::classCMapStringToOb,
    };
    for (const OvRuntimeClass* cls : classes)
        if (name == cls->m_lpszClassName) return cls;
    return nullptr;
}
