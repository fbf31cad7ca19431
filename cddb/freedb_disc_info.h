#pragma once

#include <string>
#include <vector>

// What a freedb entry tells of a disc: its year, its track titles, its album title and artist,
// and its genre.
class CFreedbDiscInfo {
public:
    std::string m_strYear;                      // DYEAR, else the year in the extended data
    std::vector<std::string> m_lstTrackTitles;  // "NN title", NN the track number (01, 02, …)
    std::string m_strAlbumTitle;
    std::string m_strArtist;
    std::string m_strGenre;  // DGENRE; empty when the entry has none

    // Reads the lines of a read reply for a disc of `trackCount` tracks. The status line is not
    // looked at: an error reply has no entry lines and gives empty fields.
    //
    // An entry may continue a field on further lines of the same keyword ("DTITLE=", "TTITLE3=",
    // "EXTD="); they are joined before anything is read from the field. A keyword counts only at
    // the start of its line. Escapes ("\n", "\t", "\\") are decoded; a line break or tab becomes
    // a blank, since titles become file names. A disc title without " / " names the artist and
    // the album alike. Titles of tracks the disc does not have are dropped.
    //
    // The track list runs from track 1 to the last titled track, one entry per track, so that
    // entry i always belongs to track i + 1: a track without a title (no line, or an empty one)
    // keeps the name the disc gives it, "TrackNN".
    static CFreedbDiscInfo FromReadReply(const std::vector<std::string>& lines, int trackCount);
};
