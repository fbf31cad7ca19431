#pragma once

#include <string>
#include <string_view>

// Whether ReadCatalogue would take the bytes, found without building the catalogue: one pass
// over the archive that checks every tag, class description, object reference, count, text
// length and the nesting bound exactly as the reader does, and gives the reader's own reason
// when it would refuse them. A save checks its bytes with it at a fraction of a read's cost.
// (A read may still run out of memory where this pass does not: that is the machine's limit,
// not the file's.)
bool CatalogueBytesValid(std::string_view bytes, std::string* error);
