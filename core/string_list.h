#pragma once

#include <string>
#include <vector>

#include "core/object.h"

// Writes or reads a list of texts as the file keeps them: the count, then the texts in order.
void SerializeStrings(CArchive& ar, std::vector<std::string>& strings);

// A list of texts that the file stores as an object ("CStringList"): the remembered entries of
// the search box and the borrower names.
class CStringList final : public CObject {
    OV_DECLARE_SERIAL(CStringList)
public:
    std::vector<std::string> m_strings;

    void Serialize(CArchive& ar) override { SerializeStrings(ar, m_strings); }
};
