#pragma once

#include <string>
#include <vector>

// What a freedb entry tells of a disc: its year, its track titles, its album title and artist.
class CFreedbDiscInfo {
public:
    std::string m_strYear;                      // from the extended data; empty when none
    std::vector<std::string> m_lstTrackTitles;  // "NN title", NN the track number (01, 02, …)
    std::string m_strAlbumTitle;
    std::string m_strArtist;

    // Reads the lines of a read reply. The status line is not looked at: an error reply has no
    // entry lines and gives four empty fields. A keyword counts where it stands at the start of
    // its line, as in every freedb entry; later lines overwrite the title, the artist and the
    // year, and a track title split over lines gives one entry a line.
    static CFreedbDiscInfo FromReadReply(const std::vector<std::string>& lines);
};
