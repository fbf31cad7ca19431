#pragma once

#include <cstdint>
#include <memory>
#include <optional>
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
//   files)  regex:... (PCRE2, case-blind, over the folded name)  dm:2023  dm:2023-01
//   dm:2023-01-01..2023-06-30  dm:>2020  dm:<2020-05 (the file's modification time, local
//   dates)  dupe: (files with a copy among the catalogues searched, dupes/duplicates.h).
// A size is the stored decimal number of bytes; a negative stored size (an old catalogue's low
// 32 bits of a file of 2 GiB or more) matches no size: filter.
//
// The details: `!` negates any word or filter; `|` joins the words (or filters) on its two
// sides; `*` and `?` inside quotes are plain characters, and `?` is one character, not one
// byte. Letters before a colon name a filter, and an unknown one is an error (quote a word that
// holds a colon). ext: and cat: take lists separated by ";". size: takes >, >=, <, <=, = or a
// bare size, and a..b with either end left open. disc: with a number or a range compares disc
// numbers; with anything else, or quoted, it is a part of the disc name. lent:Name is the whole
// borrower's name without regard to case, as the list of lent discs picks a borrower. A
// regular expression ends at a blank only, so its own `|` stays in it. With folder:, the words
// match the outline's folder names and path: the path above the folder; ext:, size: and cat:
// are errors. dm: takes a year, a month or a day, each the whole period, with >, >=, <, <=, =
// or a..b with either end open: dm:>2020 is from 2021 on, dm:<=2020-05 up to the end of May.
// A file without a known time matches no dm:, and so every !dm:. A query of no words and no
// filters finds every file.
class CQuery;

// "700mb", "1.5gb", "0" as size: reads them (b, kb, mb, gb, tb in powers of 1024); none when
// malformed.
std::optional<std::uint64_t> ParseByteCount(std::string_view text);

// Whether the query holds dupe:, which needs the copies of every file searched.
bool AsksForCopies(const CQuery& query);

struct ParseOutcome {
    std::shared_ptr<const CQuery> query;  // none when the text is malformed
    std::string error;                    // why, for the line under the Find box
};

ParseOutcome ParseQuery(std::string_view text);

}  // namespace ov2::find
