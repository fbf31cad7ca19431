#pragma once

#include <atomic>
#include <bit>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The text type of the record fields: an immutable byte string of one machine word.
//
// A catalogue holds a million file records, most of whose texts are short (sizes, drives) or
// repeated (every file of a folder carries the same folder path). Texts of up to seven bytes
// live inside the word itself; longer ones live in a shared, reference-counted block, so that
// copying a text (the working copy of a disc, the files of one folder) costs no allocation.
// Bytes are kept exactly as given; nothing is transcoded.
class OvString {
public:
    static constexpr std::size_t kInlineCapacity = 7;

    OvString() noexcept = default;
    OvString(std::string_view text);  // NOLINT: implicit on purpose, texts are assigned freely
    OvString(const OvString& other) noexcept : m_bits(other.m_bits) { Retain(); }
    OvString(OvString&& other) noexcept : m_bits(other.m_bits) { other.m_bits = 0; }
    ~OvString() { Release(); }

    OvString& operator=(const OvString& other) noexcept;
    OvString& operator=(OvString&& other) noexcept;
    OvString& operator=(std::string_view text) { return *this = OvString(text); }

    std::string_view view() const noexcept {
        if (m_bits == 0) return {};
        if (m_bits & 1)
            return {reinterpret_cast<const char*>(&m_bits) + 1, static_cast<std::size_t>((m_bits >> 1) & 7)};
        return {block()->text(), block()->size};
    }
    operator std::string_view() const noexcept { return view(); }  // NOLINT
    std::string str() const { return std::string(view()); }
    const char* data() const noexcept { return view().data(); }
    std::size_t size() const noexcept { return view().size(); }
    bool empty() const noexcept { return m_bits == 0; }

    // Asks the processor for the text's bytes ahead of their use, for loops over many records.
    void Prefetch() const noexcept {
        if (IsHeap()) __builtin_prefetch(block());
    }

    // Whether two texts share one block (an observable of the sharing, used by tests).
    bool SharesBlockWith(const OvString& other) const noexcept {
        return IsHeap() && m_bits == other.m_bits;
    }

    friend bool operator==(const OvString& a, const OvString& b) noexcept {
        return a.m_bits == b.m_bits || a.view() == b.view();
    }
    friend bool operator==(const OvString& a, std::string_view b) noexcept { return a.view() == b; }
    friend std::strong_ordering operator<=>(const OvString& a, std::string_view b) noexcept {
        return a.view() <=> b;
    }

private:
    struct Block {
        std::atomic<std::uint32_t> refs;
        std::uint32_t size;
        char* text() noexcept { return reinterpret_cast<char*>(this + 1); }
    };
    static_assert(std::endian::native == std::endian::little,
                  "inline texts keep their bytes after the low tag byte");

    // 0: empty. Low bit set: inline text, length in bits 1..3, bytes in bytes 1..7.
    // Otherwise: pointer to a Block.
    std::uintptr_t m_bits = 0;

    bool IsHeap() const noexcept { return m_bits != 0 && (m_bits & 1) == 0; }
    Block* block() const noexcept { return reinterpret_cast<Block*>(m_bits); }
    void Retain() const noexcept {
        if (IsHeap()) block()->refs.fetch_add(1, std::memory_order_relaxed);
    }
    void Release() noexcept;
};

static_assert(sizeof(OvString) == sizeof(void*));
