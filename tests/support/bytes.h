#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace ov2::test {

// Builds archive bytes by hand: Bytes().Word(1).Str("abc").
class Bytes {
public:
    Bytes& Byte(std::uint8_t b) { m_bytes += static_cast<char>(b); return *this; }
    Bytes& Raw(std::initializer_list<int> bytes) { for (int b : bytes) Byte(static_cast<std::uint8_t>(b)); return *this; }
    Bytes& Word(std::uint16_t w) { return Byte(w & 0xFF).Byte(w >> 8); }
    Bytes& DWord(std::uint32_t d) { return Word(d & 0xFFFF).Word(d >> 16); }
    Bytes& Text(std::string_view t) { m_bytes += t; return *this; }
    // A short string: one length byte, then the text.
    Bytes& Str(std::string_view t) { return Byte(static_cast<std::uint8_t>(t.size())).Text(t); }
    // A new class description.
    Bytes& NewClass(std::string_view name, std::uint16_t schema = 0) {
        return Word(0xFFFF).Word(schema).Word(static_cast<std::uint16_t>(name.size())).Text(name);
    }
    const std::string& str() const { return m_bytes; }
    operator std::string_view() const { return m_bytes; }  // NOLINT

private:
    std::string m_bytes;
};

// "01 ff 0a": for readable failure messages.
std::string Hex(std::string_view bytes);

}  // namespace ov2::test
