#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

namespace ov2::test {

// Sets an environment variable for the life of the object, and puts back what was there before.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, const std::string& value) : m_name(std::move(name)) {
        if (const char* old = std::getenv(m_name.c_str())) m_previous = old;
        setenv(m_name.c_str(), value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        if (m_previous)
            setenv(m_name.c_str(), m_previous->c_str(), 1);
        else
            unsetenv(m_name.c_str());
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_previous;
};

// Maps drive letters onto folders and images (OV2_DRIVES) for the life of the object.
class DriveMap : public ScopedEnvironment {
public:
    explicit DriveMap(const std::string& value) : ScopedEnvironment("OV2_DRIVES", value) {}
};

}  // namespace ov2::test
