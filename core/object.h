#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

class CArchive;
class CObject;

// What the archive knows of a class: the name and schema written into catalogue files, and how
// to create an empty object when a file names the class.
struct OvRuntimeClass {
    const char* m_lpszClassName;
    std::uint16_t m_wSchema;
    std::shared_ptr<CObject> (*m_pfnCreateObject)();
    // Records (discs, files) belong only in their own places in a catalogue; the collection
    // classes may also stand wherever a file keeps an arbitrary object.
    bool m_bRecord;
};

// The base of every object that the archive writes with a class tag.
class CObject {
public:
    virtual ~CObject() = default;
    virtual const OvRuntimeClass* GetRuntimeClass() const = 0;
    virtual void Serialize(CArchive& ar) = 0;

    // By name, since each module that links the core has its own class records.
    bool IsKindOf(const OvRuntimeClass* cls) const {
        return std::string_view(GetRuntimeClass()->m_lpszClassName) == cls->m_lpszClassName;
    }

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

// The classes a catalogue file may name, looked up by their name in the file.
const OvRuntimeClass* FindRuntimeClass(std::string_view name);

// Declares the class record of a serializable class; OV_IMPLEMENT_SERIAL defines it.
#define OV_DECLARE_SERIAL(Class)                                  \
public:                                                           \
    static const OvRuntimeClass class##Class;                     \
    static const OvRuntimeClass* ThisClass() { return &class##Class; } \
    const OvRuntimeClass* GetRuntimeClass() const override {      \
        return &class##Class;                                     \
    }

#define OV_IMPLEMENT_SERIAL(Class, schema, record)                                       \
    const OvRuntimeClass Class::class##Class = {                                         \
        #Class, schema, []() -> std::shared_ptr<CObject> { return std::make_shared<Class>(); }, \
        record}
