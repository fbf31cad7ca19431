#include "convertor/old_files.h"

#include <algorithm>

#include "core/archive.h"
#include "core/string_list.h"

namespace ov2 {
namespace {

template <class Old>
std::vector<std::shared_ptr<Old>> ReadObjectList(std::istream& in) {
    CArchive ar(in);
    ar.SetClassTable({CDisc::ThisClass(), CFileData::ThisClass()});
    const std::size_t count = ar.ReadCount(2);
    std::vector<std::shared_ptr<Old>> objects;
    objects.reserve(std::min<std::size_t>(count, 4096));  // the count is not trusted
    for (std::size_t i = 0; i < count; ++i) objects.push_back(ar.ReadObject<Old>());
    return objects;
}

}  // namespace

std::vector<std::shared_ptr<CDisc>> ReadOldDiscs(std::istream& in) { return ReadObjectList<CDisc>(in); }

std::vector<std::shared_ptr<CFileData>> ReadOldFiles(std::istream& in) {
    return ReadObjectList<CFileData>(in);
}

std::vector<std::string> ReadOldCategories(std::istream& in) {
    CArchive ar(in);
    std::vector<std::string> names;
    SerializeStrings(ar, names);
    return names;
}

void ForEachTreeLine(std::string_view text, const std::function<void(std::string_view)>& line) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            line(text.substr(start));
            return;
        }
        line(text.substr(start, end - start));
        start = end + (text[end] == '\r' ? 2 : 1);
    }
}

}  // namespace ov2
