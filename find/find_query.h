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
//   files)  regex:... (PCRE2, case-blind, over the folded name).
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
// are errors. A query of no words and no filters finds every file.
class CQuery;

struct ParseOutcome {
    std::shared_ptr<const CQuery> query;  // none when the text is malformed
    std::string error;                    // why, for the line under the Find box
};

ParseOutcome ParseQuery(std::string_view text);

}  // namespace ov2::find
