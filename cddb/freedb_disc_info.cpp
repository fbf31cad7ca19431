#include "cddb/freedb_disc_info.h"

#include <map>
#include <string_view>

#include "core/number_text.h"

namespace {

// Text with the entry escapes decoded; a line break or tab becomes a blank.
std::string Unescaped(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[i + 1];
            if (next == 'n' || next == 't') {
                plain += ' ';
                ++i;
                continue;
            }
            if (next == '\\') {
                plain += '\\';
                ++i;
                continue;
            }
        }
        plain += text[i];
    }
    return plain;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// "YEAR: 1993 ID3G: 13" → "1993": the digits after "YEAR:" and any blanks.
std::string YearOfExtendedData(std::string_view extended) {
    const std::size_t key = extended.find("YEAR:");
    if (key == std::string_view::npos) return {};
    std::size_t i = key + 5;
    while (i < extended.size() && (extended[i] == ' ' || extended[i] == '\t')) ++i;
    std::size_t end = i;
    while (end < extended.size() && IsDigit(extended[end])) ++end;
    return std::string(extended.substr(i, end - i));
}

// Blanks at either end go: a continuation line's blank at the split, an empty DYEAR.
std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::string TwoDigits(int number) {
    return (number <= 9 ? "0" : "") + std::to_string(number);
}

}  // namespace

CFreedbDiscInfo CFreedbDiscInfo::FromReadReply(const std::vector<std::string>& lines,
                                               int trackCount) {
    std::string title, year, genre, extended;
    std::map<int, std::string> tracks;  // by zero-based index
    for (const std::string& text : lines) {
        const std::string_view line = text;
        if (line == ".") break;  // the end of the entry
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        if (key == "DTITLE") {
            title += value;
        } else if (key == "DYEAR") {
            year += value;
        } else if (key == "DGENRE") {
            genre += value;
        } else if (key == "EXTD") {
            extended += value;
        } else if (key.size() > 6 && key.substr(0, 6) == "TTITLE") {
            const std::string_view digits = key.substr(6);
            if (digits.size() > 2) continue;  // a disc has at most 99 tracks
            bool number = true;
            for (const char c : digits) number = number && IsDigit(c);
            if (!number) continue;
            const int index = ParseLeadingInt(digits);
            if (index < trackCount) tracks[index] += value;
        }
    }

    CFreedbDiscInfo info;
    const std::string disc = Unescaped(title);
    // The artist ends at the first " / "; without it the artist is the title too.
    if (const std::size_t slash = disc.find(" / "); slash != std::string::npos) {
        info.m_strArtist = Trimmed(std::string_view(disc).substr(0, slash));
        info.m_strAlbumTitle = Trimmed(std::string_view(disc).substr(slash + 3));
    } else {
        info.m_strArtist = info.m_strAlbumTitle = Trimmed(disc);
    }
    info.m_strYear = std::string(Trimmed(Unescaped(year)));
    if (info.m_strYear.empty()) info.m_strYear = YearOfExtendedData(Unescaped(extended));
    info.m_strGenre = std::string(Trimmed(Unescaped(genre)));

    const int last = tracks.empty() ? -1 : tracks.rbegin()->first;
    for (int index = 0; index <= last; ++index) {
        const auto found = tracks.find(index);
        const std::string name =
            found == tracks.end() ? std::string() : std::string(Trimmed(Unescaped(found->second)));
        const std::string number = TwoDigits(index + 1);
        info.m_lstTrackTitles.push_back(name.empty() ? "Track" + number : number + " " + name);
    }
    return info;
}
