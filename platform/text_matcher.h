#pragma once

#include <string>
#include <string_view>

// How the program compares what a user typed with record texts: search patterns with disc and
// file names, a borrower filter with the discs' locations, a new history entry with the old
// ones. Both sides are decoded (UTF-8 when valid, else Windows-1252, the code page of catalogues
// made on Windows), NFC-normalised and case-folded by Unicode's full rules, so that "café" finds
// a Windows-made "Café", and "straße" finds "STRASSE" and the other way round.
//
// ASCII texts, nearly all of a catalogue, are compared in place, eight bytes at a time and
// without an allocation.
namespace ov2 {

// The text as matching sees it, in UTF-8: decoded, NFC-normalised, fully case-folded.
std::string FoldText(std::string_view bytes);
// The same, appended to `out`: an ASCII text without an allocation, for indexes of many names.
void AppendFoldText(std::string& out, std::string_view bytes);

class CTextMatcher {
public:
    explicit CTextMatcher(std::string_view pattern);

    // Whether the text holds the pattern anywhere; every text holds the empty pattern.
    bool Contains(std::string_view text) const;
    // Whether the text is the pattern.
    bool Equals(std::string_view text) const;

private:
    // Whether an ASCII text holds the ASCII pattern when both are folded by ASCII rules.
    bool FindAscii(std::string_view text) const;

    std::string m_strFolded;  // the pattern, folded
    bool m_bAsciiPattern;     // the folded pattern is plain ASCII
};

// Whether two record texts are the same without regard to case or encoding.
inline bool SameText(std::string_view a, std::string_view b) {
    return CTextMatcher(a).Equals(b);
}

}  // namespace ov2
