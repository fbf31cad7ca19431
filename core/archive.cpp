#include "core/archive.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr std::uint16_t kNullTag = 0x0000;
constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint16_t kBigObjectTag = 0x7FFF;
constexpr std::uint32_t kBigClassTag = 0x80000000;
constexpr std::uint32_t kMaxIndex = 0x7FFFFFFE;
constexpr std::size_t kMaxClassNameLength = 63;
constexpr std::size_t kBufferSize = 1 << 16;

// Appends the UTF-8 form of UTF-16LE text; a lone surrogate becomes U+FFFD.
void AppendUtf8FromUtf16(const unsigned char* p, std::size_t units, std::string& out) {
    auto unit = [p](std::size_t i) { return static_cast<std::uint32_t>(p[2 * i] | (p[2 * i + 1] << 8)); };
    for (std::size_t i = 0; i < units; ++i) {
        std::uint32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

}  // namespace

CArchive::CArchive(Sink sink) : m_storing(true), m_sink(std::move(sink)) { m_out.reserve(kBufferSize); }

CArchive::CArchive(std::string_view bytes)
    : m_storing(false), m_cur(bytes.data()), m_end(bytes.data() + bytes.size()) {
    m_loadedObjects.emplace_back();  // index 0: no object
    m_loadedLevels.push_back(0);
}

CArchive::CArchive(std::istream& in) : m_storing(false), m_in(&in) {
    m_loadedObjects.emplace_back();
    m_loadedLevels.push_back(0);
    const std::istream::pos_type start = in.tellg();
    if (start != std::istream::pos_type(-1) && in.seekg(0, std::ios::end)) {
        const std::istream::pos_type end = in.tellg();
        in.seekg(start);
        m_streamLeft = end >= start ? static_cast<std::uint64_t>(end - start) : 0;
    }
    if (!in) Fail("the file cannot be read");
    m_buffer.resize(kBufferSize);
    m_cur = m_end = m_buffer.data();
}

CArchive::~CArchive() = default;

void CArchive::Fail(const std::string& why) const { throw CArchiveException(why); }

std::uint32_t CArchive::NextIndex() {
    if (m_nMapCount > kMaxIndex) Fail("too many objects");
    return m_nMapCount++;
}

// ---------------------------------------------------------------- storing

void CArchive::PutBytes(const char* data, std::size_t n) {
    if (m_out.size() + n > kBufferSize) {
        Flush();
        if (n > kBufferSize) {
            if (!m_sink(data, n)) Fail("the file cannot be written");
            return;
        }
    }
    m_out.append(data, n);
}

void CArchive::Flush() {
    if (!m_storing || m_out.empty()) return;
    if (!m_sink(m_out.data(), m_out.size())) Fail("the file cannot be written");
    m_out.clear();
}

void CArchive::WriteByte(std::uint8_t value) {
    const char byte = static_cast<char>(value);
    PutBytes(&byte, 1);
}

void CArchive::WriteWord(std::uint16_t value) {
    const char bytes[2] = {static_cast<char>(value), static_cast<char>(value >> 8)};
    PutBytes(bytes, 2);
}

void CArchive::WriteDWord(std::uint32_t value) {
    const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8),
                           static_cast<char>(value >> 16), static_cast<char>(value >> 24)};
    PutBytes(bytes, 4);
}

void CArchive::WriteCount(std::size_t count) {
    if (count < 0xFFFF) {
        WriteWord(static_cast<std::uint16_t>(count));
        return;
    }
    if (count > std::numeric_limits<std::uint32_t>::max()) Fail("too many elements to write");
    WriteWord(0xFFFF);
    WriteDWord(static_cast<std::uint32_t>(count));
}

void CArchive::WriteString(std::string_view text) {
    const std::size_t n = text.size();
    if (n < 255) {
        WriteByte(static_cast<std::uint8_t>(n));
    } else if (n < 0xFFFE) {
        WriteByte(0xFF);
        WriteWord(static_cast<std::uint16_t>(n));
    } else {
        if (n > std::numeric_limits<std::uint32_t>::max()) Fail("a text is too long to write");
        WriteByte(0xFF);
        WriteWord(0xFFFF);
        WriteDWord(static_cast<std::uint32_t>(n));
    }
    PutBytes(text.data(), n);
}

// The first slot to look at for an object: its address multiplied by 2^64/phi, high bits
// folded in, since the low bits of aligned addresses hardly vary.
static std::size_t HomeSlot(const CObject* object, std::size_t mask) {
    std::uint64_t h = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(object)) * 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(h ^ (h >> 32)) & mask;
}

const std::uint32_t* CArchive::FindStored(const CObject* object) const {
    if (m_storedObjects.empty()) return nullptr;
    const std::size_t mask = m_storedObjects.size() - 1;
    for (std::size_t i = HomeSlot(object, mask);; i = (i + 1) & mask) {
        const StoredObject& slot = m_storedObjects[i];
        if (slot.object == object) return &slot.index;
        if (!slot.object) return nullptr;  // the table always keeps free slots
    }
}

void CArchive::AddStored(const CObject* object, std::uint32_t index) {
    if ((m_storedObjectCount + 1) * 2 > m_storedObjects.size()) {
        std::vector<StoredObject> old(std::max<std::size_t>(1024, m_storedObjects.size() * 2), StoredObject{nullptr, 0});
        old.swap(m_storedObjects);
        m_storedObjectCount = 0;
        for (const StoredObject& slot : old)
            if (slot.object) AddStored(slot.object, slot.index);
    }
    const std::size_t mask = m_storedObjects.size() - 1;
    std::size_t i = HomeSlot(object, mask);
    while (m_storedObjects[i].object) i = (i + 1) & mask;
    m_storedObjects[i] = StoredObject{object, index};
    ++m_storedObjectCount;
}

void CArchive::WriteObject(const CObject* object, bool once) {
    if (!object) {
        WriteWord(kNullTag);
        return;
    }
    if (const std::uint32_t* stored = once ? nullptr : FindStored(object)) {
        if (*stored < kBigObjectTag) {
            WriteWord(static_cast<std::uint16_t>(*stored));
        } else {
            WriteWord(kBigObjectTag);
            WriteDWord(*stored);
        }
        return;
    }
    // Classes are matched by name, so objects made in another module (the Convertor library
    // has its own copy of the class records) share one description in the file.
    const OvRuntimeClass* cls = object->GetRuntimeClass();
    auto known = std::find_if(m_storedClasses.begin(), m_storedClasses.end(), [cls](const auto& entry) {
        return std::strcmp(entry.first->m_lpszClassName, cls->m_lpszClassName) == 0;
    });
    if (known == m_storedClasses.end()) {
        WriteWord(kNewClassTag);
        WriteWord(cls->m_wSchema);
        const std::size_t nameLength = std::strlen(cls->m_lpszClassName);
        WriteWord(static_cast<std::uint16_t>(nameLength));
        PutBytes(cls->m_lpszClassName, nameLength);
        m_storedClasses.emplace_back(cls, NextIndex());
    } else if (known->second < kBigObjectTag) {
        WriteWord(static_cast<std::uint16_t>(kClassTag | known->second));
    } else {
        WriteWord(kBigObjectTag);
        WriteDWord(kBigClassTag | known->second);
    }
    const std::uint32_t index = NextIndex();
    if (!once) AddStored(object, index);
    const_cast<CObject*>(object)->Serialize(*this);
}

// ---------------------------------------------------------------- loading

std::uint64_t CArchive::BytesLeft() const { return static_cast<std::uint64_t>(m_end - m_cur) + m_streamLeft; }

// Makes n bytes available at m_cur (n at most the buffer size), or fails at the end of the input.
void CArchive::Need(std::size_t n) {
    const std::size_t have = static_cast<std::size_t>(m_end - m_cur);
    if (have >= n) return;
    if (!m_in || n - have > m_streamLeft) Fail("the file ends before a complete item");
    std::memmove(m_buffer.data(), m_cur, have);
    m_cur = m_buffer.data();
    m_end = m_cur + have;
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(m_buffer.size() - have, m_streamLeft));
    m_in->read(m_buffer.data() + have, static_cast<std::streamsize>(want));
    const std::size_t got = static_cast<std::size_t>(m_in->gcount());
    m_end += got;
    m_streamLeft = got == want ? m_streamLeft - got : 0;  // a file that shrank ends here
    if (static_cast<std::size_t>(m_end - m_cur) < n) Fail("the file ends before a complete item");
}

std::uint8_t CArchive::ReadByte() {
    Need(1);
    return static_cast<std::uint8_t>(*m_cur++);
}

std::uint16_t CArchive::ReadWord() {
    Need(2);
    const auto* p = reinterpret_cast<const unsigned char*>(m_cur);
    m_cur += 2;
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t CArchive::ReadDWord() {
    Need(4);
    const auto* p = reinterpret_cast<const unsigned char*>(m_cur);
    m_cur += 4;
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::size_t CArchive::ReadCount(std::size_t minElementBytes) {
    std::uint32_t count = ReadWord();
    if (count == 0xFFFF) count = ReadDWord();
    if (static_cast<std::uint64_t>(count) * minElementBytes > BytesLeft())
        Fail("a count of " + std::to_string(count) + " elements exceeds the rest of the file");
    return count;
}

// A length below 255 is one byte; 0xFF introduces a word, and the word 0xFFFF a double word.
// The word 0xFFFE marks UTF-16 text, whose length follows in the same scheme.
std::size_t CArchive::ReadStringLength(bool* wide) {
    *wide = false;
    std::uint8_t b = ReadByte();
    if (b < 0xFF) return b;
    std::uint16_t w = ReadWord();
    if (w == 0xFFFE) {
        *wide = true;
        b = ReadByte();
        if (b < 0xFF) return b;
        w = ReadWord();
    }
    if (w < 0xFFFF) return w;
    return ReadDWord();
}

std::string_view CArchive::ReadStringView() {
    bool wide = false;
    const std::size_t length = ReadStringLength(&wide);
    const std::uint64_t bytes = static_cast<std::uint64_t>(length) * (wide ? 2 : 1);
    if (bytes > BytesLeft()) Fail("a text of " + std::to_string(length) + " characters exceeds the rest of the file");
    const std::size_t n = static_cast<std::size_t>(bytes);
    const char* text = nullptr;
    if (n <= static_cast<std::size_t>(m_end - m_cur) || n <= m_buffer.size()) {
        Need(n);
        text = m_cur;
        m_cur += n;
    } else {  // longer than the buffer: gather it in the scratch text
        m_scratch.assign(m_cur, m_end);
        m_cur = m_end;
        const std::size_t rest = n - m_scratch.size();
        m_scratch.resize(n);
        m_in->read(m_scratch.data() + (n - rest), static_cast<std::streamsize>(rest));
        if (static_cast<std::size_t>(m_in->gcount()) != rest) Fail("the file ends before a complete item");
        m_streamLeft -= rest;
        text = m_scratch.data();
    }
    if (!wide) return {text, n};
    std::string utf8;
    utf8.reserve(n + n / 2);
    AppendUtf8FromUtf16(reinterpret_cast<const unsigned char*>(text), length, utf8);
    m_scratch = std::move(utf8);
    return m_scratch;
}

OvString CArchive::ReadSharedString(SharedSlot slot) {
    const std::string_view text = ReadStringView();
    if (m_shared[slot] != text) m_shared[slot] = OvString(text);
    return m_shared[slot];
}

std::shared_ptr<CObject> CArchive::ReadObject(const OvRuntimeClass* expected, bool allowNull) {
    auto describe = [expected] {
        return expected ? std::string(expected->m_lpszClassName) : std::string("collection");
    };
    const std::uint16_t tag = ReadWord();
    std::uint32_t objectIndex = 0;
    const OvRuntimeClass* cls = nullptr;

    if (tag == kNewClassTag) {
        const std::uint16_t schema = ReadWord();
        const std::uint16_t nameLength = ReadWord();
        if (nameLength > kMaxClassNameLength) Fail("a class name of " + std::to_string(nameLength) + " characters is too long");
        Need(nameLength);
        const std::string name(m_cur, nameLength);
        m_cur += nameLength;
        if (m_classTable.empty()) {
            cls = FindRuntimeClass(name);
        } else {
            auto it = std::find_if(m_classTable.begin(), m_classTable.end(),
                                   [&name](const OvRuntimeClass* c) { return name == c->m_lpszClassName; });
            cls = it == m_classTable.end() ? nullptr : *it;
        }
        if (!cls) Fail("unknown class \"" + name + "\"");
        if (schema != cls->m_wSchema)
            Fail("class \"" + name + "\" has schema " + std::to_string(schema) + ", expected " +
                 std::to_string(cls->m_wSchema));
        const std::uint32_t classIndex = NextIndex();
        m_loadedClasses.emplace(classIndex, cls);
        m_loadedObjects.emplace_back();
        m_loadedLevels.push_back(0);
    } else {
        std::uint32_t reference = tag;
        bool isClass = (tag & kClassTag) != 0;
        if (isClass) {
            reference = tag & ~kClassTag;
        } else if (tag == kBigObjectTag) {
            const std::uint32_t big = ReadDWord();
            isClass = (big & kBigClassTag) != 0;
            reference = big & ~kBigClassTag;
        }
        if (isClass) {
            auto it = m_loadedClasses.find(reference);
            if (it == m_loadedClasses.end()) Fail("class index " + std::to_string(reference) + " has not been assigned");
            cls = it->second;
        } else {
            objectIndex = reference;
        }
    }

    if (!cls) {  // a reference to an object read before
        if (objectIndex == 0) {
            if (!allowNull) Fail("a " + describe() + " is missing");
            return nullptr;
        }
        if (objectIndex >= m_loadedObjects.size()) Fail("object index " + std::to_string(objectIndex) + " has not been assigned");
        const std::shared_ptr<CObject>& object = m_loadedObjects[objectIndex];
        if (!object) Fail("index " + std::to_string(objectIndex) + " names a class, not an object");
        if (std::any_of(m_reading.begin(), m_reading.end(),
                        [objectIndex](const Reading& r) { return r.index == objectIndex; }))
            Fail("object " + std::to_string(objectIndex) + " refers to itself");
        const OvRuntimeClass* actual = object->GetRuntimeClass();
        if (expected ? actual != expected : actual->m_bRecord)
            Fail("object " + std::to_string(objectIndex) + " is a " + actual->m_lpszClassName + ", expected a " + describe());
        HoldLevels(m_loadedLevels[objectIndex]);
        return object;
    }

    if (expected ? cls != expected : cls->m_bRecord)
        Fail(std::string("a ") + cls->m_lpszClassName + " stands where a " + describe() + " belongs");
    HoldLevels(1);
    std::shared_ptr<CObject> object = cls->m_pfnCreateObject();
    const std::uint32_t index = NextIndex();
    m_loadedObjects.push_back(object);
    m_loadedLevels.push_back(0);
    m_reading.push_back(Reading{index, 0});
    object->Serialize(*this);
    const std::uint8_t levels = static_cast<std::uint8_t>(1 + m_reading.back().levelsBelow);
    m_reading.pop_back();
    m_loadedLevels[index] = levels;
    HoldLevels(levels);
    return object;
}

// The object being read holds one that spans `levels` levels, from the next level down.
void CArchive::HoldLevels(std::uint8_t levels) {
    if (m_reading.size() + levels > static_cast<std::size_t>(kMaxDepth))
        Fail("objects are nested too deeply");
    if (!m_reading.empty())
        m_reading.back().levelsBelow = std::max(m_reading.back().levelsBelow, levels);
}
