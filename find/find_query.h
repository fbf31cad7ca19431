#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace ov2::find {

// A parsed Find query. The language (the help page and `ov2cat find --help` describe it):
//   words separated by blanks must all match (AND), each a case-blind substring of the name;
//   "a phrase" keeps its blanks; `|` between words is OR; `!word` excludes; `*` and `?` make a
//   word a wildcard pattern over the whole name;
//   ext:mp3;flac  size:>700mb  size:1gb..4gb (b, kb, mb, gb, tb in powers of 1024; ranges
//   include both ends)  disc:12  disc:10..20  disc:"Holiday 2003" (number or name)
//   path:music\rock (substring of the folder path)  cat:Jazz (a category the file carries,
//   exact case)  lent: (discs not at home)  lent:Anna  folder: (outline folders instead of
//   files)  regex:... (documented flavour).
// A size is the stored decimal number of bytes; a negative stored size (an old catalogue's low
// 32 bits of a file of 2 GiB or more) matches no size: filter.
class CQuery;

struct ParseOutcome {
    std::shared_ptr<const CQuery> query;  // none when the text is malformed
    std::string error;                    // why, for the line under the Find box
};

ParseOutcome ParseQuery(std::string_view text);

}  // namespace ov2::find
