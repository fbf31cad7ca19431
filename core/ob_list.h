#pragma once

#include <memory>
#include <vector>

#include "core/object.h"

// A list of objects ("CObList"). Catalogues do not use it themselves, but a file may keep one
// among its settings; it may hold collections and null entries.
class CObList final : public CObject {
    OV_DECLARE_SERIAL(CObList)
public:
    std::vector<std::shared_ptr<CObject>> m_objects;

    void Serialize(CArchive& ar) override;
};
