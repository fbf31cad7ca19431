#include "bench/catalogue_generator.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/disc_database.h"
#include "core/map_string_to_string.h"

namespace {

// splitmix64: small, fast, and the same sequence on every platform.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint64_t Between(std::uint64_t lo, std::uint64_t hi) { return lo + Next() % (hi - lo + 1); }
    bool Percent(unsigned p) { return Next() % 100 < p; }
    template <class C>
    const auto& Pick(const C& choices) {
        return choices[Next() % std::size(choices)];
    }

private:
    std::uint64_t m_state;
};

constexpr std::string_view kFirstNames[] = {"Anna", "Ben",  "Clara", "David", "Elena", "Frank", "Greta",
                                            "Hugo", "Ines", "Jonas", "Karin", "Leo",   "Maria", "Nils",
                                            "Olga", "Paul", "Rosa",  "Simon", "Tara",  "Viktor"};
constexpr std::string_view kLastNames[] = {"Albers", "Brandt", "Castell", "Dorn",    "Eckert", "Falk",  "Gruber",
                                           "Hansen", "Iversen", "Jansen", "Keller",  "Lindqvist", "Moreau",
                                           "Novak",  "Olsen",  "Petrov",  "Quint",   "Reyes",  "Sato",  "Varga"};
constexpr std::string_view kAdjectives[] = {"Blue",     "Silent", "Electric", "Golden", "Broken", "Velvet",
                                            "Northern", "Lazy",   "Crimson",  "Midnight", "Paper", "Wild",
                                            "Quiet",    "Hollow", "Bright",   "Frozen"};
constexpr std::string_view kNouns[] = {"River",   "Engines",  "Gardens", "Horizon", "Machines", "Lanterns",
                                       "Harbour", "Season",   "Mirrors", "Foxes",   "Satellites", "Orchard",
                                       "Avenue",  "Letters",  "Tides",   "Pilots"};
constexpr std::string_view kTitleWords[] = {
    "love",  "night",  "road",  "home",    "rain",   "dance", "light",   "morning", "summer", "heart",
    "city",  "dream",  "fire",  "ocean",   "shadow", "song",  "time",    "waiting", "forever", "tonight",
    "stars", "winter", "again", "slowly",  "falling", "young", "gold",   "train",   "window", "sunday"};
constexpr std::string_view kEvents[] = {"Holiday", "Birthday", "Wedding", "Garden", "Hiking", "Christmas",
                                        "Visit",   "Concert",  "Beach",   "School", "Party",  "Trip"};
constexpr std::string_view kDataRoots[] = {"Backup", "Projects", "Program Files", "Install", "Documents",
                                           "Source", "Drivers",  "Archive",       "Tools",   "Games"};
constexpr std::string_view kFolderWords[] = {
    "bin",   "lib",      "include", "docs",     "data",    "config",  "old",     "release", "debug",
    "images", "reports", "letters", "invoices", "src",     "tests",   "tools",   "resources", "plugins",
    "locale", "de",      "en",      "fr",       "templates", "scripts", "misc",  "Common Files", "Setup",
    "Help",   "Samples", "Fonts",   "Sounds",   "Maps",    "Levels",  "Textures", "2019",   "2020", "2021"};
constexpr std::string_view kFileStems[] = {
    "readme", "setup",  "install", "report",  "invoice", "letter",  "config",   "module", "main",   "util",
    "parser", "index",  "notes",   "draft",   "budget",  "scan",    "manual",   "license", "changelog", "data",
    "Setup",  "README", "Thumbs",  "archive", "image",   "backup",  "contacts", "agenda", "minutes", "table"};

// An extension and the range of sizes its files usually have.
struct FileKind {
    std::string_view extension;
    std::uint64_t minSize;
    std::uint64_t maxSize;
};
constexpr FileKind kDataKinds[] = {
    {".txt", 3, 40'000},          {".ini", 20, 4'000},          {".doc", 20'000, 900'000},
    {".pdf", 30'000, 12'000'000}, {".dll", 8'000, 9'000'000},   {".exe", 30'000, 60'000'000},
    {".h", 200, 60'000},          {".cpp", 500, 200'000},       {".xml", 300, 2'000'000},
    {".dat", 1, 300'000'000},     {".zip", 10'000, 700'000'000}, {".cab", 100'000, 250'000'000},
    {".bmp", 5'000, 6'000'000},   {".wav", 100'000, 80'000'000}, {".db", 5'000, 30'000'000},
    {".TXT", 3, 20'000},          {".DLL", 8'000, 5'000'000},   {".log", 0, 2'000'000}};
constexpr std::string_view kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
constexpr std::string_view kCategories[] = {"Music", "Photos", "Backup", "Software", "Favourites", "Work", "Archive"};
constexpr std::string_view kBorrowers[] = {"Tom", "Lisa Brandt", "Uncle Karl", "Mia", "Office"};

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string Capitalised(std::string_view word) {
    std::string text(word);
    if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

// Builds one disc: its files folder by folder in the order a scan walks them, and the outline
// of the folders alongside.
class DiscBuilder {
public:
    DiscBuilder(Rng& rng, std::size_t files) : m_rng(rng), m_remaining(files) {}

    std::size_t Remaining() const { return m_remaining; }

    // Enters folder `name` below the current one; it becomes the current folder.
    void Enter(std::string_view name) {
        m_path.emplace_back(name);
        m_outline.append(m_path.size(), '\t').append(name).append("\r\n");
    }
    void Leave() { m_path.pop_back(); }
    std::size_t Depth() const { return m_path.size(); }

    // Adds up to `count` files to the current folder; nameAndSize(i) gives each one's name and
    // size. The files share the folder's text.
    template <class F>
    void AddFiles(std::size_t count, F&& nameAndSize) {
        count = std::min(count, m_remaining);
        if (count == 0) return;
        std::string folderText = "e:\\";
        for (const std::string& component : m_path) folderText.append(Lower(component)).append("\\");
        const OvString folder(folderText);
        for (std::size_t i = 0; i < count; ++i) {
            auto file = std::make_shared<COvFileData>();
            auto [name, size] = nameAndSize(i);
            file->m_strFileName = name;
            file->m_strFolder = folder;
            file->m_strSize = std::to_string(size);
            file->m_strDrive = m_drive;
            if (m_rng.Percent(1) && m_rng.Percent(50)) file->m_lstCategories.emplace_back(m_rng.Pick(kCategories));
            m_files.push_back(std::move(file));
        }
        m_remaining -= count;
    }

    std::shared_ptr<COvDisc> Finish(std::string_view number, std::string_view name) {
        auto disc = std::make_shared<COvDisc>();
        disc->m_strNumber = number;
        disc->m_strName = name;
        disc->m_strFolderTree = std::string(number) + " " + std::string(name) + "\r\n" + m_outline;
        disc->m_lstFiles = std::move(m_files);
        return disc;
    }

private:
    Rng& m_rng;
    std::size_t m_remaining;
    std::vector<std::string> m_path;
    std::string m_outline;
    std::vector<std::shared_ptr<COvFileData>> m_files;
    const OvString m_drive{"e:"};
};

std::string ArtistName(Rng& rng) {
    if (rng.Percent(50)) return std::string(rng.Pick(kFirstNames)) + " " + std::string(rng.Pick(kLastNames));
    return (rng.Percent(50) ? "The " : "") + std::string(rng.Pick(kAdjectives)) + " " + std::string(rng.Pick(kNouns));
}

std::string SongTitle(Rng& rng) {
    std::string title = Capitalised(rng.Pick(kTitleWords));
    for (std::uint64_t words = rng.Between(0, 4); words > 0; --words) title.append(" ").append(rng.Pick(kTitleWords));
    return title;
}

std::string AlbumTitle(Rng& rng) {
    if (rng.Percent(40)) return std::string(rng.Pick(kAdjectives)) + " " + std::string(rng.Pick(kNouns));
    return SongTitle(rng);
}

std::string MusicDisc(Rng& rng, DiscBuilder& b) {
    const bool byYear = rng.Percent(30);  // "Music\Artist\1998 - Album" rather than "mp3\Artist\Album"
    b.Enter(byYear ? "Music" : "mp3");
    std::set<std::string> artists;
    while (b.Remaining() > 0) {
        std::string artist = ArtistName(rng);
        if (!artists.insert(artist).second) artist += " " + std::to_string(artists.size());
        b.Enter(artist);
        std::set<std::string> albums;
        for (std::uint64_t n = rng.Between(1, 3); n > 0 && b.Remaining() > 0; --n) {
            std::string album = AlbumTitle(rng);
            if (byYear) album = std::to_string(rng.Between(1965, 2023)) + " - " + album;
            if (!albums.insert(album).second) continue;
            b.Enter(album);
            const std::uint64_t tracks = rng.Between(8, 16);
            b.AddFiles(tracks, [&](std::size_t i) {
                char number[24];
                std::snprintf(number, sizeof number, "%02zu - ", i + 1);
                return std::pair{number + SongTitle(rng) + ".mp3", rng.Between(1'500'000, 14'000'000)};
            });
            if (rng.Percent(60)) b.AddFiles(1, [&](std::size_t) { return std::pair{std::string("folder.jpg"), rng.Between(15'000, 160'000)}; });
            if (rng.Percent(15)) b.AddFiles(1, [&](std::size_t) { return std::pair{std::string("desktop.ini"), rng.Between(60, 250)}; });
            b.Leave();
        }
        b.Leave();
    }
    return "MP3 " + ArtistName(rng);
}

std::string PhotoDisc(Rng& rng, DiscBuilder& b) {
    std::uint64_t picture = rng.Between(1, 9000);
    auto photo = [&rng, &picture](std::string_view prefix) {
        return [&rng, &picture, prefix](std::size_t) {
            picture = picture % 9999 + 1;
            char name[16];
            if (rng.Percent(3)) {
                std::snprintf(name, sizeof name, "MVI_%04u.MOV", static_cast<unsigned>(picture));
                return std::pair{std::string(name), rng.Between(20'000'000, 900'000'000)};
            }
            std::snprintf(name, sizeof name, "%.*s_%04u.JPG", static_cast<int>(prefix.size()), prefix.data(),
                          static_cast<unsigned>(picture));
            return std::pair{std::string(name), rng.Between(1'400'000, 7'500'000)};
        };
    };
    const std::uint64_t year = rng.Between(2004, 2023);
    if (rng.Percent(60)) {  // straight from the camera
        b.Enter("DCIM");
        for (unsigned folder = 100; b.Remaining() > 0; ++folder) {
            b.Enter(std::to_string(folder) + "CANON");
            b.AddFiles(rng.Between(80, 300), photo("IMG"));
            b.Leave();
        }
        b.Leave();
        return "Photos " + std::to_string(year);
    }
    b.Enter("Photos");
    b.Enter(std::to_string(year));
    for (unsigned day = 0; b.Remaining() > 0; ++day) {
        char date[32];
        std::snprintf(date, sizeof date, "%u-%02u-%02u ", static_cast<unsigned>(year),
                      static_cast<unsigned>(day / 28 % 12 + 1), static_cast<unsigned>(day % 28 + 1));
        b.Enter(date + std::string(rng.Pick(kEvents)));
        b.AddFiles(rng.Between(10, 120), photo("DSC"));
        b.Leave();
    }
    b.Leave();
    b.Leave();
    return "Pictures " + std::to_string(year);
}

std::uint64_t DataSize(Rng& rng, const FileKind& kind) {
    const unsigned roll = static_cast<unsigned>(rng.Between(0, 999));
    if (roll < 3) return rng.Between(1'000'000'000, 4'700'000'000);  // a disc image now and then
    if (roll < 60) return rng.Between(0, 999);
    return rng.Between(kind.minSize, kind.maxSize);
}

std::string DataDisc(Rng& rng, DiscBuilder& b) {
    auto dataFile = [&rng](std::size_t) {
        const FileKind& kind = rng.Pick(kDataKinds);
        std::string name(rng.Pick(kFileStems));
        if (rng.Percent(60)) name += "_" + std::to_string(rng.Between(1, 999));
        return std::pair{name + std::string(kind.extension), DataSize(rng, kind)};
    };
    if (rng.Percent(50)) {  // an installation disc: a few files at the root
        b.AddFiles(1, [](std::size_t) { return std::pair{std::string("autorun.inf"), std::uint64_t{54}}; });
        b.AddFiles(rng.Between(1, 4), dataFile);
    }
    // A walk through a folder tree: each folder's files as it is entered, then its subfolders.
    constexpr std::size_t kMaxDepth = 8;
    std::vector<std::set<std::string>> used(kMaxDepth + 1);
    while (b.Remaining() > 0) {
        const std::size_t depth = b.Depth();
        if (depth == 0 || (depth < kMaxDepth && rng.Percent(depth < 3 ? 65 : 35))) {
            std::string name(depth == 0 ? rng.Pick(kDataRoots) : rng.Pick(kFolderWords));
            while (!used[depth].insert(name).second) name = std::string(rng.Pick(kFolderWords)) + "_" + std::to_string(rng.Between(1, 99));
            used[depth + 1].clear();
            b.Enter(name);
            b.AddFiles(rng.Between(0, 40), dataFile);
        } else {
            b.Leave();
        }
    }
    return std::string(rng.Pick(kDataRoots)) + " " + std::to_string(rng.Between(1, 40));
}

std::string Date(Rng& rng) {
    char text[16];
    std::snprintf(text, sizeof text, " %02u %u", static_cast<unsigned>(rng.Between(1, 28)),
                  static_cast<unsigned>(rng.Between(2001, 2024)));
    return std::string(rng.Pick(kMonths)) + text;
}

}  // namespace

void GenerateCatalogue(COvDiscDatabase& database, std::size_t discs, std::size_t filesPerDisc, std::uint64_t seed) {
    Rng rng(seed);
    for (std::string_view category : kCategories) database.m_pCategories->m_strings.emplace_back(category);

    for (std::size_t i = 0; i < discs; ++i) {
        DiscBuilder builder(rng, filesPerDisc);
        const unsigned kind = static_cast<unsigned>(rng.Between(0, 99));
        const std::string name = kind < 50 ? MusicDisc(rng, builder) : kind < 75 ? PhotoDisc(rng, builder) : DataDisc(rng, builder);
        std::shared_ptr<COvDisc> disc = builder.Finish(std::to_string(i + 1), name);
        disc->m_strSavedAt = Date(rng);
        disc->m_strQuality = rng.Percent(70) ? "CD-R" : "Good";
        if (kind < 50) disc->m_strArtist = "Various";
        if (rng.Percent(20)) disc->m_strNotes = "Burned at 16x\r\nSecond copy in the blue box";
        if (rng.Percent(10)) {
            disc->m_strLocation = rng.Pick(kBorrowers);
            disc->m_strLendDate = Date(rng);
        } else {
            disc->m_strLocation = "home";
        }
        if (rng.Percent(30)) disc->m_lstCategories.emplace_back(rng.Pick(kCategories));
        if (rng.Percent(10)) disc->m_lstCategories.emplace_back(rng.Pick(kCategories));
        database.AddTail(std::move(disc));
    }

    auto search = std::make_shared<CStringList>();
    search->m_strings = {"*.mp3", "holiday", "setup.exe"};
    auto lend = std::make_shared<CStringList>();
    for (std::string_view borrower : kBorrowers) lend->m_strings.emplace_back(borrower);
    auto cddb = std::make_shared<CMapStringToString>();
    cddb->m_map.SetAt("active", "central (Central Server)");
    database.m_pSettings->m_map.SetAt("SearchCombo", search);
    database.m_pSettings->m_map.SetAt("LendCombo", lend);
    database.m_pSettings->m_map.SetAt("CDDB", cddb);
}
