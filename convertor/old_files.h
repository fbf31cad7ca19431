#pragma once

#include <functional>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "convertor/old_disc.h"
#include "convertor/old_file_data.h"

class CArchive;

// Reading the files of an old catalogue. Three of them are object archives, each with an archive
// of its own; they are read with the same distrust as catalogue files, so that a malformed or
// truncated file fails with a CArchiveException and never with a crash, a hang or a runaway
// allocation. Bytes after the list are ignored, as the catalogue reader ignores them.
namespace ov2 {

// "Data.dat": the count, then each disc as an object of class "CDisc".
std::vector<std::shared_ptr<CDisc>> ReadOldDiscs(std::istream& in);
// "Cat.dat": the count, then the category names.
std::vector<std::string> ReadOldCategories(std::istream& in);
// "FileData.dat": the count, then each file as an object of class "CFileData".
std::vector<std::shared_ptr<CFileData>> ReadOldFiles(std::istream& in);

// A list of category names as the old files store it (the count, then the names), without
// empty names and without repeats, in the order of their first appearance. A category is
// carried or not, and an empty name is none: a hostile file of millions of empty or equal
// names then costs a few bytes, not a string each.
void ReadOldNames(CArchive& ar, std::vector<std::string>& names);

// "Tree.ovdt": each line in turn, without its line end. A line ends at LF, or at CR, whose next
// byte (the LF of a CR LF) is dropped; the last line needs no line end.
void ForEachTreeLine(std::string_view text, const std::function<void(std::string_view)>& line);

}  // namespace ov2
