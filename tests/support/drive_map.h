#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace ov2::test {

// Sets an environment variable for the life of the object, and puts back what was there before.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_previous = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_previous)
            setenv(m_name, m_previous->c_str(), 1);
        else
            unsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_previous;
};

// Sets OV2_DRIVES (the map of drive letters onto folders and images) for the life of the object.
class DriveMap : public ScopedEnv {
public:
    explicit DriveMap(const std::string& value) : ScopedEnv("OV2_DRIVES", value) {}
};

}  // namespace ov2::test
