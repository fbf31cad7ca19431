#include "cli/usage.h"

namespace ov2 {
namespace {

struct CommandUsage {
    const char* name;
    const char* arguments;
    const char* description;
};

constexpr CommandUsage kCommands[] = {
    {"dump", "FILE.ovd", "prints the whole catalogue as JSON"},
    {"build", "FILE.json OUT.ovd [--force]",
     "writes a catalogue from JSON of the same shape."
     " A catalogue that another program has open for editing (its lock lies beside it) is left "
     "alone: exit 1 with \"locked by USER on HOST since TIME\", unless --force"},
    {"stat", "FILE.ovd", "prints \"discs D files F categories C\""},
    {"gaps", "FILE.ovd",
     "the disc numbers from 1 to the last disc's that no disc carries, one a line; at most "
     "10,000, then a last line \"cut at 10000\""},
    {"search", "FILE.ovd PATTERN [--discs] [--category NAME]...",
     "the rows a search result window shows, one a line, columns separated by TAB, in "
     "catalogue order: files whose name holds the pattern (without regard to case or "
     "encoding: names made on Windows are read as Windows-1252, both sides are "
     "NFC-normalised and fully case-folded, so \"strasse\" finds \"Straße\" and \"café\" "
     "finds \"CAFÉ\"), or discs with --discs; with --category only those that carry every category "
     "named (exact "
     "case), and the pattern \"*\" then takes them all"},
    {"find", "QUERY FILE.ovd... [--json]",
     "the files of every catalogue named that the query finds, one a line, in catalogue "
     "order: catalogue (its file name), disc number, disc name, folder, file name and size in "
     "bytes as stored, separated by TAB (--json: one JSON object a line with the keys "
     "catalogue, disc, discName, folder, name, size). Exit 0 also when nothing is found, 2 "
     "when the query is malformed (the reason on standard error). The query: words separated "
     "by blanks must all be in the name (AND), without regard to case or accents' encoding; "
     "\"a phrase\" keeps its blanks; a|b takes either word (OR); !word leaves out names "
     "that hold it; * and ? make a word a pattern of the whole name (*.mp3, img_????.jpg). "
     "Filters: ext:mp3;flac (extension; ext:tar.gz too); size:>700mb, size:<=2gb, size:100kb, "
     "size:1gb..4gb (b, kb, mb, gb, tb count in 1024s; ranges include both ends; > leaves "
     "out the size itself; a negative stored size matches no size:); disc:12, disc:10..20, "
     "disc:\"Holiday 2003\" (number, range, or a part of the disc name); path:music\\rock "
     "(a part of the folder path, \\ or /); cat:Jazz (a category the file carries, exact "
     "case; cat:a;b takes either); lent: (discs away from home), lent:Anna (lent to Anna, "
     "without regard to case); folder: (finds the outline folders whose name matches, "
     "instead of files; path: then is a part of the path above the folder; ext:, size: and "
     "cat: are errors); regex:EXPR (a Perl-compatible regular expression, PCRE2, without "
     "regard to case, over the name in lower case; only a blank ends it, so its | is its "
     "own; quote blanks: regex:\"^0[1-9] - \"). Any word or filter can be negated with !. Letters "
     "before a colon name a "
     "filter: quote a word that holds a colon (\"cd:1\"). dm:2023, dm:2023-01, "
     "dm:2023-01-01..2023-06-30, dm:>2020, dm:<=2020-05 (files modified in that year, month, "
     "day or range, in local time; > is after the whole period, <= up to its end; a file "
     "whose time is unknown matches no dm:, and so every !dm:); dupe: (files that have a copy "
     "among the catalogues named, as ov2cat dupes finds them). An empty query finds every file"},
    {"dupes", "FILE.ovd... [--single] [--min-size SIZE] [--category NAME]...",
     "the files that have copies in the catalogues named, one a line: disc number, disc name, "
     "folder, file name, size in bytes as stored and the catalogue's file name, separated by "
     "TAB; the copies of one file follow each other, groups separated by an empty line, the "
     "largest files first. Two files are copies when their fingerprints (taken by the scan) "
     "are equal, whatever their names; a file without a fingerprint is a copy of the files of "
     "the same name (without regard to case) and size, and joins their fingerprint when they "
     "carry just one. Empty files and audio tracks (.cda) have no copies. --min-size takes "
     "only files of at least that size (1mb, 700kb: in 1024s); --category only discs that "
     "carry one of the categories named (exact case). --single prints instead the files, on "
     "discs of the categories, that have no copy on any other disc of the catalogues (a file "
     "twice on one disc is still on one disc). Exit 0 also when nothing is found, 1 when a "
     "catalogue does not read, 2 on a malformed size"},
    {"export",
     "FILE.ovd OUT --format csv|tsv|jsonl|html|sqlite [--disc N]... [--query QUERY] "
     "[--for-spreadsheets]",
     "writes the catalogue's files to OUT, one row a file with the columns catalogue (the "
     "catalogue's file name), disc (number), discName, artist, location (\"home\" or the "
     "borrower), discCategories, folder (as stored, drive included), name, extension, size (in "
     "bytes), modified (empty: the catalogue does not record when a file changed) and "
     "categories; texts as UTF-8 (names made on Windows are read as Windows-1252). --disc takes "
     "only the discs named; --query only the files the query finds (the language of ov2cat "
     "find). csv: RFC 4180 with a header row (fields holding a comma, a quote or a line break "
     "quoted, quotes doubled, CR LF line ends), several categories separated by \";\"; "
     "--for-spreadsheets adds a byte order mark and separates fields with \";\" where the "
     "locale writes decimals with a comma. tsv: the same with TAB, one row a line (TAB and line "
     "breaks in a field become blanks). jsonl: one JSON object a line, disc and size as "
     "numbers, modified null, categories as lists; a first line {\"type\":\"catalogue\"} and "
     "a line {\"type\":\"disc\"} before each disc's files (with its quality, notes, savedAt, "
     "lendDate and outline) make it a backup that ov2cat import reads back whole. html: one page "
     "that needs nothing else (no network, no other file): the discs as a tree of their folders, a "
     "search box (names holding every word typed, without regard to case) and the files in a list, "
     "sizes as people read them, light or dark as the browser prefers. sqlite: an "
     "SQLite database with the tables catalogue, disc, folder, file, category, file_category, "
     "disc_category, the view file_row (id and the columns above) and the full-text table "
     "file_search (name, folder; its rowid is the file's id), three examples: sqlite3 OUT \"SELECT "
     "name, size FROM file_row WHERE disc = 12\" (the files of disc 12); \"SELECT file_row.folder, "
     "file_row.name FROM file_search JOIN file_row ON file_row.id = file_search.rowid WHERE "
     "file_search MATCH 'holiday'\" (names and folders holding the word); \"SELECT disc.number, "
     "disc.name, sum(file.size) FROM disc JOIN file ON file.disc_id = disc.id GROUP BY disc.id "
     "ORDER BY 3 DESC LIMIT 10\" (the ten fullest discs). Debian's pgloader moves the tables into "
     "PostgreSQL: pgloader OUT postgresql:///DATABASE. The file appears only complete; prints "
     "\"files F\""},
    {"import", "FILE.jsonl|FILE.csv OUT.ovd [--force]",
     "writes the catalogue that an export to JSON Lines, CSV or TSV describes: discs with their "
     "labels, lending and categories, folders, files, sizes and categories (from CSV each "
     "disc's outline is made from its files' folders); texts are stored as UTF-8, the settings "
     "are a new catalogue's. A row that does not parse is named with its line number and "
     "nothing is written; prints \"discs D files F\". A catalogue that another program has "
     "open for editing (its lock lies beside it) is left alone: exit 1 with \"locked by USER "
     "on HOST since TIME\", unless --force"},
    {"drives", "",
     "the drive letters, one a line: letter, type (\"cdrom\", \"removable\", \"fixed\", "
     "\"remote\", \"ram\"), root or image (the device when no disc is mounted) and label, "
     "separated by TAB"},
    {"toc", "LETTER|IMAGE.cue",
     "prints an audio CD's tracks as \"NN MM:SS:FF audio|data\" (absolute, lead-in "
     "included) and \"leadout MM:SS:FF\"; a drive letter (\"E\", \"e:\") or a CUE sheet "
     "whose data is the \".bin\" of the same name (a folder or an ISO image has no audio "
     "tracks, and says so)"},
    {"freedb", "[--site SITE] [--hello USER@HOST] LETTER|IMAGE.cue",
     "looks the audio CD up on a freedb server: prints \"id\" (the disc id), \"category\", "
     "\"artist\", \"title\", \"year\", \"genre\", then one track title a line (\"01 Intro\"; "
     "a track without a title as \"Track02\"); of several exact matches the first is read; "
     "SITE is a site text of the server list (\"host (place)\", the host is the text before "
     "the first blank) or a bare \"host:port\", by default the central server; --hello sends "
     "that contact address in the greeting"},
    {"scan",
     "LETTER|FOLDER|IMAGE FILE.ovd [--name NAME] [--letter X] [--archives] [--no-archives] "
     "[--fingerprint] [--no-fingerprint] [--force]",
     "records the disc in the drive (\"E\", \"e:\") as the scan dialog does and appends it "
     "with the next number to the catalogue, made when missing; prints \"disc N files F "
     "size S MB\" and \"volume: \" with the volume's file system, label, capacity and free "
     "space as far as they are known. A folder, an ISO image or a CUE sheet in place of the "
     "letter is recorded as a disc in drive X, by default the first letter from D: that no "
     "drive uses. The files inside archives (zip, 7z, rar, tar, cab) are recorded in a folder "
     "named like the archive unless --no-archives; archives inside archives stay files. Then "
     "it prints \"N archives listed.\" and, for those that could not be, \"M archives not "
     "listed: E encrypted, D damaged\" and one \"PATH: REASON\" a line. Each file's "
     "modification time is recorded, and with --fingerprint (the default except for a disc in "
     "an optical drive, where --no-fingerprint is) its fingerprint: its first and last 64 KiB "
     "and its size, which finds the same file on other discs (files inside images and archives "
     "get none). A catalogue that another program has open for editing (its lock lies beside "
     "it) is left alone: exit 1 with \"locked by USER on HOST since TIME\", unless --force"},
    {"rescan",
     "LETTER|FOLDER|IMAGE FILE.ovd --disc N [--letter X] [--yes] [--archives] [--no-archives] "
     "[--fingerprint] [--no-fingerprint] [--force]",
     "walks the disc again (the source as ov2cat scan takes it; a folder or image is "
     "recorded under the letter the disc's files carry unless --letter says otherwise) and "
     "prints \"Rescan of disc N: A files added, R removed, C changed, M moved; "
     "categories kept on K files.\"; only with --yes does the catalogue take the new files "
     "and folders, keeping the disc's number, labels, lending and categories and, on files "
     "found again (also moved ones), their categories and track titles. A source that seems "
     "to hold another disc gives a warning on standard error. A file counts as changed when "
     "its size or its recorded modification time differs. Archives and fingerprints are as "
     "ov2cat scan takes them; a file that kept its size and time keeps its fingerprint "
     "without being read. With --yes, a catalogue that another program has open for editing "
     "(its lock lies beside it) is left alone: exit 1 with \"locked by USER on HOST since "
     "TIME\", unless --force"},
    {"convert", "OLD_FOLDER OUT.ovd [--force]",
     "converts the old catalogue in the folder (\"Data.dat\", \"Cat.dat\", "
     "\"FileData.dat\", \"Tree.ovdt\", opened for reading only) as \"Convert Old Files\" "
     "does in an empty catalogue: discs in ascending order, the old category names (empty "
     "and repeated names left out), default settings; writes it through the program's safe "
     "save and prints \"discs D files F categories C\". When old files are missing (all "
     "four are looked for before any is read), their numbered list follows the error line "
     "(\"1: Cat.dat\", one a line) and nothing is written. Discs left out (numbers that are "
     "not plain whole numbers, or repeated) are named on standard error, the first 20 of "
     "them and how many more."
     " A catalogue that another program has open for editing (its lock lies beside it) is left "
     "alone: exit 1 with \"locked by USER on HOST since TIME\", unless --force"},
};

constexpr std::size_t kLineWidth = 78;

std::string UsageLine(const CommandUsage& command) {
    std::string line = std::string("ov2cat ") + command.name;
    if (*command.arguments) line += std::string(" ") + command.arguments;
    return line;
}

// The text in lines no longer than the terminal's usual width, each indented by two blanks.
std::string Wrapped(std::string_view text) {
    std::string result, line;
    while (!text.empty()) {
        const std::size_t blank = text.find(' ');
        const std::string_view word = text.substr(0, blank);
        text = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
        if (!line.empty() && 2 + line.size() + 1 + word.size() > kLineWidth) {
            result += "  " + line + "\n";
            line.clear();
        }
        if (!line.empty()) line += ' ';
        line += word;
    }
    if (!line.empty()) result += "  " + line + "\n";
    return result;
}

}  // namespace

std::string UsageText() {
    std::string text;
    for (const CommandUsage& command : kCommands)
        text += (text.empty() ? "usage: " : "       ") + UsageLine(command) + "\n";
    return text + "\n'ov2cat COMMAND --help' tells what a command does.\n";
}

std::optional<std::string> CommandHelpText(std::string_view name) {
    for (const CommandUsage& command : kCommands)
        if (name == command.name)
            return "usage: " + UsageLine(command) + "\n\n" + Wrapped(command.description);
    return std::nullopt;
}

}  // namespace ov2
