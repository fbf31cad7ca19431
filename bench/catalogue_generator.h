#pragma once

#include <cstddef>
#include <cstdint>

class COvDiscDatabase;

// Fills a database with a catalogue such as a long-time user keeps: music discs
// ("e:\mp3\artist\album\07 - Title.mp3"), photo discs ("e:\dcim\100canon\IMG_0423.JPG") and
// software/backup discs with deeper folders, sizes from a few bytes to a few GB, outlines that
// list the folders in the order the files name them, a few categories, and the three settings
// entries of a new catalogue. The files of one folder share their folder text, as a scan leaves
// them. The same seed always gives the same catalogue.
void GenerateCatalogue(COvDiscDatabase& database, std::size_t discs, std::size_t filesPerDisc,
                       std::uint64_t seed = 20240611);
