#include "core/ov_string.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

OvString::OvString(std::string_view text) {
    if (text.empty()) return;
    if (text.size() <= kInlineCapacity) {
        m_bits = 1 | (text.size() << 1);
        std::memcpy(reinterpret_cast<char*>(&m_bits) + 1, text.data(), text.size());
        return;
    }
    if (text.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("text longer than 4 GiB");
    void* memory = std::malloc(sizeof(Block) + text.size());
    if (!memory) throw std::bad_alloc();
    Block* b = new (memory) Block{{1}, static_cast<std::uint32_t>(text.size())};
    std::memcpy(b->text(), text.data(), text.size());
    m_bits = reinterpret_cast<std::uintptr_t>(b);
}

OvString& OvString::operator=(const OvString& other) noexcept {
    const std::uintptr_t bits = other.m_bits;  // other may be this text itself
    other.Retain();
    Release();
    m_bits = bits;
    return *this;
}

OvString& OvString::operator=(OvString&& other) noexcept {
    if (this != &other) {
        Release();
        m_bits = other.m_bits;
        other.m_bits = 0;
    }
    return *this;
}

void OvString::Release() noexcept {
    if (IsHeap() && block()->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        block()->~Block();
        std::free(block());
    }
    m_bits = 0;
}
