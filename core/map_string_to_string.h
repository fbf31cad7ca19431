#pragma once

#include <string>

#include "core/hash_map.h"
#include "core/object.h"

// Texts by key ("CMapStringToString"): the freedb settings of a catalogue.
class CMapStringToString final : public CObject {
    OV_DECLARE_SERIAL(CMapStringToString)
public:
    OvHashMap<std::string> m_map;

    void Serialize(CArchive& ar) override;
};
