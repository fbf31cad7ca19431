#pragma once

#include <string>
#include <vector>

// Old catalogue files made with the archive writer: each file an archive of its own (its own
// running index), the old classes with their fields in file order. The disc fields other than
// number, name and location are the number with a prefix ("quality 3", "lent 3").
namespace ov2::test {

struct OldDisc {
    std::string number, name, location = "home";
    std::vector<std::string> categories = {};
};
struct OldFile {
    std::string name, disc, folder;
    std::vector<std::string> categories = {};
};
std::string OldDiscsFile(const std::vector<OldDisc>& discs);           // Data.dat
std::string OldFilesFile(const std::vector<OldFile>& files);           // FileData.dat
std::string OldCategoriesFile(std::vector<std::string> names);         // Cat.dat

}  // namespace ov2::test
