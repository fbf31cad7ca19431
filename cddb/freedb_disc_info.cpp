#include "cddb/freedb_disc_info.h"

#include <string_view>

#include "core/number_text.h"

namespace {

// The line without its first `count` characters; empty when it is shorter.
std::string_view After(std::string_view line, std::size_t count) {
    return count < line.size() ? line.substr(count) : std::string_view();
}

}  // namespace

CFreedbDiscInfo CFreedbDiscInfo::FromReadReply(const std::vector<std::string>& lines) {
    CFreedbDiscInfo info;
    for (const std::string& text : lines) {
        const std::string_view line = text;
        if (line.find("DTITLE=") != std::string_view::npos) {
            const std::string_view rest = After(line, 7);
            if (const auto slash = rest.find(" / "); slash != std::string_view::npos) {
                info.m_strArtist = rest.substr(0, slash);
                info.m_strAlbumTitle = rest.substr(slash + 3);
            } else {
                info.m_strAlbumTitle = rest;
            }
        } else if (line.find("EXTD=") != std::string_view::npos) {
            // "EXTD= YEAR: 1985": the year starts after "YEAR:" and the character after it.
            if (const auto year = line.find("YEAR:"); year != std::string_view::npos)
                info.m_strYear = After(line, year + 6);
        } else if (line.find("TITLE") != std::string_view::npos) {
            const std::string_view rest = After(line, 6);  // "TTITLE12=Song" → "12=Song"
            const auto equals = rest.find('=');
            const long long number =
                static_cast<long long>(ParseLeadingInt(rest.substr(0, equals))) + 1;
            const std::string_view title =
                equals == std::string_view::npos ? rest : rest.substr(equals + 1);
            info.m_lstTrackTitles.push_back((number <= 9 ? "0" : "") + std::to_string(number) +
                                            " " + std::string(title));
        }
    }
    return info;
}
