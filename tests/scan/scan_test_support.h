#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "tests/support/drive_map.h"
#include "tests/support/temp_dir.h"

// Trees on disk for scans, drive maps and a fixed clock.
namespace ov2::test {


// Today is March 05 2003 for the life of the object.
class FixedToday {
public:
    FixedToday() : m_previous(SetTodayHandler([] { return CalendarDate{2003, 3, 5}; })) {}
    ~FixedToday() { SetTodayHandler(std::move(m_previous)); }
    FixedToday(const FixedToday&) = delete;
    FixedToday& operator=(const FixedToday&) = delete;

private:
    TodayHandler m_previous;
};

// A file of `size` bytes (made of "x"), its folders created as needed.
inline void PutFile(const std::filesystem::path& path, std::size_t size = 1) {
    std::filesystem::create_directories(path.parent_path());
    WriteFileBytes(path, std::string(size, 'x'));
}

// Sets the file's modification time (and access time) to `seconds` since 1970.
inline void SetTime(const std::filesystem::path& path, std::int64_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// The sub-folder names of `folder` in the order the file system lists them.
inline std::vector<std::string> ListedFolders(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != ".." && std::filesystem::is_directory(folder / name))
            names.push_back(name);
    }
    closedir(dir);
    return names;
}

// An ISO 9660 image of `tree` written with bsdtar (libarchive's writer): Rock Ridge and Joliet
// names unless `options` turn them off. Its path.
inline std::string WriteIso(const std::filesystem::path& image, const std::filesystem::path& tree,
                            const std::string& options = "iso9660:joliet") {
    const std::string command = "LC_ALL=C.UTF-8 bsdtar -cf '" + image.string() +
                                "' --format iso9660 --options '" + options + "' -C '" +
                                tree.string() + "' .";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return image.string();
}

// An archive of `tree` written with bsdtar, e.g. `options` "--format zip", "-z" (tar.gz),
// "--format 7zip". Its path.
inline std::string WriteArchive(const std::filesystem::path& archive,
                                const std::filesystem::path& tree, const std::string& options) {
    std::filesystem::create_directories(archive.parent_path());
    const std::string command = "LC_ALL=C.UTF-8 bsdtar -cf '" + archive.string() + "' " + options +
                                " -C '" + tree.string() + "' .";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return archive.string();
}

}  // namespace ov2::test
