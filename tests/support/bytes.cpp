#include "tests/support/bytes.h"

namespace ov2::test {

std::string Hex(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        if (!hex.empty()) hex += ' ';
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

}  // namespace ov2::test
