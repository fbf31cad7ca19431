#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace ov2::test {

// Sets OV2_DRIVES (the map of drive letters onto folders and images) for the life of the
// object, and puts back what was there before.
class DriveMap {
public:
    explicit DriveMap(const std::string& value) {
        if (const char* old = std::getenv("OV2_DRIVES")) m_previous = old;
        setenv("OV2_DRIVES", value.c_str(), 1);
    }
    ~DriveMap() {
        if (m_previous)
            setenv("OV2_DRIVES", m_previous->c_str(), 1);
        else
            unsetenv("OV2_DRIVES");
    }
    DriveMap(const DriveMap&) = delete;
    DriveMap& operator=(const DriveMap&) = delete;

private:
    std::optional<std::string> m_previous;
};

}  // namespace ov2::test
