#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ov2::test {

// An old catalogue as the previous version wrote it, made with the archive writer: each file an
// archive of its own (its own running index), the old classes with their fields in file order.
// Every field of a disc but the number, name and location is the number with a prefix
// ("quality 3", "lent 3").
struct OldDisc {
    std::string number, name, location = "home";
    std::vector<std::string> categories = {};
};
struct OldFile {
    std::string name, disc, folder;
    std::vector<std::string> categories = {};
};

std::string OldDiscsFile(const std::vector<OldDisc>& discs);  // Data.dat
std::string OldFilesFile(const std::vector<OldFile>& files);  // FileData.dat
std::string OldCategoriesFile(const std::vector<std::string>& names);  // Cat.dat
void WriteOldCatalogue(const std::filesystem::path& folder, const std::vector<OldDisc>& discs,
                       const std::vector<std::string>& categories, const std::vector<OldFile>& files,
                       const std::string& tree);

}  // namespace ov2::test
