#include "core/catalogue_check.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "core/archive.h"
#include "core/disc_database.h"
#include "core/map_string_to_string.h"
#include "core/ob_list.h"

namespace {

constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint16_t kBigObjectTag = 0x7FFF;
constexpr std::uint32_t kBigClassTag = 0x80000000;
constexpr std::uint32_t kMaxIndex = 0x7FFFFFFE;
constexpr std::size_t kMaxClassNameLength = 63;

enum ClassId : std::uint8_t {
    Disc,
    FileData,
    StringList,
    MapStringToString,
    ObList,
    MapStringToOb,
    kClassCount
};
constexpr std::uint8_t kNoClass = 0xFF;  // a collection is expected; no object read

const std::array<const OvRuntimeClass*, kClassCount>& Classes() {
    static const std::array<const OvRuntimeClass*, kClassCount> classes = {
        COvDisc::ThisClass(),     COvFileData::ThisClass(),
        CStringList::ThisClass(), CMapStringToString::ThisClass(),
        CObList::ThisClass(),     CMapStringToOb::ThisClass(),
    };
    return classes;
}

// Walks the bytes as CArchive and the records' Serialize read them, keeping for every index
// only what later references are checked against: its class, whether it names a class, and
// the levels the object spans (zero while it is being read).
class Checker {
public:
    explicit Checker(std::string_view bytes)
        : m_cur(bytes.data()), m_end(bytes.data() + bytes.size()) {
        m_entries.push_back(Entry{kNoClass, false, 0});  // index 0: no object
    }

    void Catalogue() {
        const std::size_t discs = Count(2);
        for (std::size_t i = 0; i < discs; ++i) Object(Disc, false);
        Strings();
        const std::size_t settings = Count(3);
        for (std::size_t i = 0; i < settings; ++i) {
            const std::string_view key = String();
            const std::string name(key);  // the view does not outlive the next read
            const std::uint8_t cls = Object(kNoClass, false);
            const OvRuntimeClass* expected = COvDiscDatabase::ExpectedSettingClass(name);
            if (expected && Classes()[cls] != expected)
                throw CArchiveException("the setting \"" + name + "\" is not a " +
                                        expected->m_lpszClassName);
        }
    }

private:
    struct Entry {
        std::uint8_t cls;
        bool isClass;
        std::uint8_t levels;
    };
    struct Reading {
        std::uint32_t index;
        std::uint8_t levelsBelow;
    };

    [[noreturn]] static void Fail(const std::string& why) { throw CArchiveException(why); }

    std::size_t Left() const { return static_cast<std::size_t>(m_end - m_cur); }
    void Need(std::size_t n) const {
        if (Left() < n) Fail("the file ends before a complete item");
    }
    std::uint8_t Byte() {
        Need(1);
        return static_cast<std::uint8_t>(*m_cur++);
    }
    std::uint16_t Word() {
        Need(2);
        const auto* p = reinterpret_cast<const unsigned char*>(m_cur);
        m_cur += 2;
        return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    }
    std::uint32_t DWord() {
        Need(4);
        const auto* p = reinterpret_cast<const unsigned char*>(m_cur);
        m_cur += 4;
        return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }

    std::size_t Count(std::size_t minElementBytes) {
        std::uint32_t count = Word();
        if (count == 0xFFFF) count = DWord();
        if (static_cast<std::uint64_t>(count) * minElementBytes > Left())
            Fail("a count of " + std::to_string(count) + " elements exceeds the rest of the file");
        return count;
    }

    // A length below 255 is one byte; 0xFF introduces a word, and the word 0xFFFF a double word.
    // The word 0xFFFE marks UTF-16 text, whose length follows in the same scheme.
    std::size_t Length(bool* wide) {
        *wide = false;
        std::uint8_t b = Byte();
        if (b < 0xFF) return b;
        std::uint16_t w = Word();
        if (w == 0xFFFE) {
            *wide = true;
            b = Byte();
            if (b < 0xFF) return b;
            w = Word();
        }
        if (w < 0xFFFF) return w;
        return DWord();
    }

    std::string_view String() {
        bool wide = false;
        const std::size_t length = Length(&wide);
        const std::uint64_t bytes = static_cast<std::uint64_t>(length) * (wide ? 2 : 1);
        if (bytes > Left())
            Fail("a text of " + std::to_string(length) +
                 " characters exceeds the rest of the file");
        const std::string_view text(m_cur, static_cast<std::size_t>(bytes));
        m_cur += bytes;
        return text;
    }

    void Strings() {
        const std::size_t count = Count(1);
        for (std::size_t i = 0; i < count; ++i) String();
    }

    std::uint32_t NextIndex() {
        if (m_entries.size() > kMaxIndex) Fail("too many objects");
        return static_cast<std::uint32_t>(m_entries.size());
    }

    void HoldLevels(std::uint8_t levels) {
        if (m_reading.size() + levels > static_cast<std::size_t>(CArchive::kMaxDepth))
            Fail("objects are nested too deeply");
        if (!m_reading.empty())
            m_reading.back().levelsBelow = std::max(m_reading.back().levelsBelow, levels);
    }

    static std::string Describe(std::uint8_t expected) {
        return expected == kNoClass ? std::string("collection")
                                    : std::string(Classes()[expected]->m_lpszClassName);
    }
    static bool Wrong(std::uint8_t cls, std::uint8_t expected) {
        return expected == kNoClass ? Classes()[cls]->m_bRecord : cls != expected;
    }

    // Checks an object of class `expected` (kNoClass: any collection); returns its class, or
    // kNoClass for an allowed null.
    std::uint8_t Object(std::uint8_t expected, bool allowNull) {
        const std::uint16_t tag = Word();
        std::uint8_t cls = kNoClass;
        std::uint32_t objectIndex = 0;
        if (tag == kNewClassTag) {
            const std::uint16_t schema = Word();
            const std::uint16_t nameLength = Word();
            if (nameLength > kMaxClassNameLength)
                Fail("a class name of " + std::to_string(nameLength) + " characters is too long");
            Need(nameLength);
            const std::string name(m_cur, nameLength);
            m_cur += nameLength;
            const OvRuntimeClass* found = FindRuntimeClass(name);
            if (!found) Fail("unknown class \"" + name + "\"");
            if (schema != found->m_wSchema)
                Fail("class \"" + name + "\" has schema " + std::to_string(schema) + ", expected " +
                     std::to_string(found->m_wSchema));
            cls = static_cast<std::uint8_t>(std::find(Classes().begin(), Classes().end(), found) -
                                            Classes().begin());
            if (cls == kClassCount) Fail("unknown class \"" + name + "\"");
            NextIndex();
            m_entries.push_back(Entry{cls, true, 0});
        } else {
            std::uint32_t reference = tag;
            bool isClass = (tag & kClassTag) != 0;
            if (isClass) {
                reference = tag & ~kClassTag;
            } else if (tag == kBigObjectTag) {
                const std::uint32_t big = DWord();
                isClass = (big & kBigClassTag) != 0;
                reference = big & ~kBigClassTag;
            }
            if (isClass) {
                if (reference == 0 || reference >= m_entries.size() ||
                    !m_entries[reference].isClass)
                    Fail("class index " + std::to_string(reference) + " has not been assigned");
                cls = m_entries[reference].cls;
            } else {
                objectIndex = reference;
            }
        }

        if (cls == kNoClass) {  // a reference to an object checked before
            if (objectIndex == 0) {
                if (!allowNull) Fail("a " + Describe(expected) + " is missing");
                return kNoClass;
            }
            if (objectIndex >= m_entries.size())
                Fail("object index " + std::to_string(objectIndex) + " has not been assigned");
            const Entry& entry = m_entries[objectIndex];
            if (entry.isClass)
                Fail("index " + std::to_string(objectIndex) + " names a class, not an object");
            if (entry.levels == 0)
                Fail("object " + std::to_string(objectIndex) + " refers to itself");
            if (Wrong(entry.cls, expected))
                Fail("object " + std::to_string(objectIndex) + " is a " +
                     Classes()[entry.cls]->m_lpszClassName + ", expected a " + Describe(expected));
            HoldLevels(entry.levels);
            return entry.cls;
        }

        if (Wrong(cls, expected))
            Fail(std::string("a ") + Classes()[cls]->m_lpszClassName + " stands where a " +
                 Describe(expected) + " belongs");
        HoldLevels(1);
        const std::uint32_t index = NextIndex();
        m_entries.push_back(Entry{cls, false, 0});
        m_reading.push_back(Reading{index, 0});
        Body(cls);
        const auto levels = static_cast<std::uint8_t>(1 + m_reading.back().levelsBelow);
        m_reading.pop_back();
        m_entries[index].levels = levels;
        HoldLevels(levels);
        return cls;
    }

    // What each class's Serialize reads.
    void Body(std::uint8_t cls) {
        switch (cls) {
            case Disc: {
                const std::size_t files = Count(2);
                for (std::size_t i = 0; i < files; ++i) Object(FileData, false);
                for (int i = 0; i < 9; ++i) String();  // number, quality, ... folder tree
                Strings();
                break;
            }
            case FileData:
                for (int i = 0; i < 4; ++i) String();  // name, folder, size, drive
                Strings();
                break;
            case StringList:
                Strings();
                break;
            case MapStringToString: {
                const std::size_t count = Count(2);
                for (std::size_t i = 0; i < 2 * count; ++i) String();
                break;
            }
            case ObList: {
                const std::size_t count = Count(2);
                for (std::size_t i = 0; i < count; ++i) Object(kNoClass, true);
                break;
            }
            case MapStringToOb: {
                const std::size_t count = Count(3);
                for (std::size_t i = 0; i < count; ++i) {
                    String();
                    Object(kNoClass, true);
                }
                break;
            }
            default:
                Fail("unknown class");
        }
    }

    const char* m_cur;
    const char* m_end;
    std::vector<Entry> m_entries;  // by index
    std::vector<Reading> m_reading;
};

}  // namespace

bool CatalogueBytesValid(std::string_view bytes, std::string* error) {
    try {
        Checker(bytes).Catalogue();
        return true;
    } catch (const CArchiveException& e) {
        if (error) *error = e.what();
    } catch (const std::bad_alloc&) {
        if (error) *error = "not enough memory";
    }
    return false;
}
