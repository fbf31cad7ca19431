#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/object.h"
#include "core/ov_string.h"

// Raised by CArchive when a file cannot be read or written; the message says why.
class CArchiveException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The tagged little-endian byte stream that catalogue files are made of: length-prefixed
// strings, counts, and objects written with their class so that reading recreates them.
//
// One archive either stores or loads. Loading trusts nothing in the input: every length and
// count is checked against the bytes that remain before anything is allocated for it, object
// references must name objects of the expected class that were read completely, and nesting is
// bounded, so a malformed file fails with a CArchiveException and never with a crash, a hang or
// a runaway allocation.
class CArchive {
public:
    // Receives the written bytes; returns false when they could not be written.
    using Sink = std::function<bool(const char* data, std::size_t size)>;

    explicit CArchive(Sink sink);               // stores
    explicit CArchive(std::string_view bytes);  // loads from memory (the bytes must outlive it)
    explicit CArchive(std::istream& in);        // loads from a stream, from its current place
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsStoring() const { return m_storing; }
    bool IsLoading() const { return !m_storing; }

    // Storing. Flush hands the buffered bytes to the sink; the destructor does not.
    void WriteByte(std::uint8_t value);
    void WriteWord(std::uint16_t value);
    void WriteDWord(std::uint32_t value);
    void WriteCount(std::size_t count);
    void WriteString(std::string_view text);
    void WriteObject(const CObject* object) { WriteObject(object, false); }
    // An object that nothing but this one pointer holds cannot be met again while the archive
    // stores: it is written without being remembered for later references, which spares a save
    // a table look-up per file record.
    template <class T>
    void WriteObject(const std::shared_ptr<T>& object) {
        WriteObject(object.get(), object.use_count() == 1);
    }
    void Flush();

    // Loading.
    std::uint8_t ReadByte();
    std::uint16_t ReadWord();
    std::uint32_t ReadDWord();
    // A count of elements that each take at least minElementBytes bytes in the file.
    std::size_t ReadCount(std::size_t minElementBytes);
    // The next string; the view stays valid until the next read.
    std::string_view ReadStringView();
    std::string ReadString() { return std::string(ReadStringView()); }
    OvString ReadOvString() { return OvString(ReadStringView()); }
    // Reads a text that often repeats the previous one read through the same slot (the folder of
    // consecutive files); a repeat shares the previous text's memory.
    enum SharedSlot { FolderSlot, DriveSlot, SlotCount };
    OvString ReadSharedString(SharedSlot slot);

    // Reads an object of class `expected`, or, when expected is null, of any collection class.
    // A null object is an error unless allowNull. Objects nest at most kMaxDepth levels deep,
    // counted through references too, so that however a writer orders the objects it meets, the
    // file it writes nests no deeper than that.
    std::shared_ptr<CObject> ReadObject(const OvRuntimeClass* expected, bool allowNull = false);
    template <class T>
    std::shared_ptr<T> ReadObject() {
        return std::static_pointer_cast<T>(ReadObject(T::ThisClass(), false));
    }

    // Bytes of the input not yet read.
    std::uint64_t BytesLeft() const;

    // Loading: the classes that names in the input may stand for, instead of the catalogue's
    // own. The old catalogue files name other record classes, which a catalogue never may.
    void SetClassTable(std::vector<const OvRuntimeClass*> classes) { m_classTable = std::move(classes); }

    static constexpr int kMaxDepth = 32;

private:
    void Fail(const std::string& why) const;
    void Need(std::size_t n);
    void PutBytes(const char* data, std::size_t n);
    void WriteObject(const CObject* object, bool once);
    std::size_t ReadStringLength(bool* wide);
    std::uint32_t NextIndex();
    void HoldLevels(std::uint8_t levels);

    bool m_storing;

    // storing
    Sink m_sink;
    std::string m_out;
    // The objects written so far and their indexes, in an open-addressing table keyed by
    // address: a catalogue writes a million file records, and a hash node per record cost more
    // than all the rest of a save.
    struct StoredObject {
        const CObject* object;  // null: a free slot
        std::uint32_t index;
    };
    std::vector<StoredObject> m_storedObjects;  // a power of two of slots, at most half used
    std::size_t m_storedObjectCount = 0;
    const std::uint32_t* FindStored(const CObject* object) const;
    void AddStored(const CObject* object, std::uint32_t index);
    std::vector<std::pair<const OvRuntimeClass*, std::uint32_t>> m_storedClasses;

    // loading
    const char* m_cur = nullptr;
    const char* m_end = nullptr;
    std::istream* m_in = nullptr;
    std::uint64_t m_streamLeft = 0;
    std::vector<char> m_buffer;
    std::string m_scratch;
    std::vector<std::shared_ptr<CObject>> m_loadedObjects;  // by index; null for class indexes
    // By index, the levels of objects an object spans, itself and the objects it holds or
    // refers to included. A reference brings all those levels to the place where it stands: the
    // writer may store the object there first, so the nesting bound counts them.
    std::vector<std::uint8_t> m_loadedLevels;
    std::unordered_map<std::uint32_t, const OvRuntimeClass*> m_loadedClasses;
    struct Reading {
        std::uint32_t index;       // an object whose data is being read
        std::uint8_t levelsBelow;  // the most levels spanned by what it holds so far
    };
    std::vector<Reading> m_reading;
    OvString m_shared[SlotCount];
    std::vector<const OvRuntimeClass*> m_classTable;  // empty: the catalogue's classes

    std::uint32_t m_nMapCount = 1;  // the next index for a class or an object
};
