#pragma once

#include <memory>

#include "core/hash_map.h"
#include "core/object.h"

// Objects by key ("CMapStringToOb"): the settings map of a catalogue. The catalogue writes its
// own settings map without an object tag (COvDiscDatabase); as an object it may also stand
// among settings, holding collections or null entries.
class CMapStringToOb final : public CObject {
    OV_DECLARE_SERIAL(CMapStringToOb)
public:
    OvHashMap<std::shared_ptr<CObject>> m_map;

    void Serialize(CArchive& ar) override;
};
