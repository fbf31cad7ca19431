// Writes the valid seed files of the fuzz corpus into the folder given:
//   build/tests/fuzz/make_fuzz_seeds tests/fuzz/corpus
// Each is small (the smoke pass fuzzes inputs of at most 4 KiB) and shows the reader one kind
// of structure: class and object references, categories, settings of every collection class,
// long and UTF-16 texts.
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/catalogue_file.h"
#include "core/disc_database.h"
#include "core/map_string_to_ob.h"
#include "core/map_string_to_string.h"
#include "core/ob_list.h"
#include "tests/support/bytes.h"
#include "tests/support/sample_catalogue.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace ov2::test;

std::string OneDiscOneFile() {
    COvDiscDatabase db;
    db.AddTail(MakeDisc("1", "Holiday", {MakeFile("beach.jpg", "e:\\photos\\", "204800")}, {"\tphotos"}));
    AddDefaultSettings(db);
    return CatalogueBytes(db);
}

std::string EmptyWithDefaultSettings() {
    COvDiscDatabase db;
    AddDefaultSettings(db);
    return CatalogueBytes(db);
}

// Three discs: later objects of a class refer to its first description, and disc 3 holds a file
// record of disc 2 (a working copy shares its records), which the file stores as a reference.
std::string DiscsSharingRecords() {
    COvDiscDatabase db;
    db.AddTail(MakeDisc("1", "Music", {MakeFile("01 - Intro.mp3", "e:\\mp3\\band\\", "3145728"),
                                       MakeFile("02 - Song.mp3", "e:\\mp3\\band\\", "4194304")},
                        {"\tmp3", "\t\tband"}));
    auto shared = MakeFile("setup.exe", "e:\\", "123456789");
    db.AddTail(MakeDisc("2", "Tools", {shared, MakeFile("readme.txt", "e:\\docs\\", "12")}, {"\tdocs"}));
    db.AddTail(MakeDisc("3", "Tools copy", {shared}));
    AddDefaultSettings(db);
    return CatalogueBytes(db);
}

std::string Categories() {
    COvDiscDatabase db;
    db.m_pCategories->m_strings = {"Music", "Work", "Favourites"};
    auto disc = MakeDisc("7", "Mixed", {MakeFile("a.mp3", "e:\\", "1", {"Music", "Favourites"}),
                                        MakeFile("b.doc", "e:\\work\\", "99999", {"Work"})},
                         {"\twork"});
    disc->m_lstCategories = {"Favourites"};
    db.AddTail(disc);
    AddDefaultSettings(db);
    auto lend = std::make_shared<CStringList>();
    lend->m_strings = {"Tom", "Lisa"};
    db.m_pSettings->m_map.SetAt("LendCombo", lend);
    return CatalogueBytes(db);
}

// Settings beyond the three the program uses: nested maps and lists with null entries, an
// object referred to twice, several texts in one CMapStringToString, and a text longer than 254
// bytes (a two-byte length).
std::string NestedSettings() {
    COvDiscDatabase db;
    auto disc = MakeDisc("12", "Notes", {MakeFile("x", "e:\\", "0")});
    disc->m_strNotes = std::string(300, 'n');
    disc->m_strLocation = "Tom";
    disc->m_strLendDate = "March 03 2021";
    db.AddTail(disc);
    AddDefaultSettings(db);
    auto words = std::make_shared<CStringList>();
    words->m_strings = {"one", "two"};
    auto servers = std::make_shared<CMapStringToString>();
    servers->m_map.SetAt("active", "central (Central Server)");
    servers->m_map.SetAt("list", "a;b;c");
    auto inner = std::make_shared<CMapStringToOb>();
    inner->m_map.SetAt("words", words);
    inner->m_map.SetAt("nothing", nullptr);
    auto list = std::make_shared<CObList>();
    list->m_objects = {words, nullptr, inner};
    db.m_pSettings->m_map.SetAt("CDDB", servers);
    db.m_pSettings->m_map.SetAt("Extra", list);
    db.m_pSettings->m_map.SetAt("Again", words);
    return CatalogueBytes(db);
}

// "list" falls into the bucket of "LendCombo", so the two change places on every read.
std::string SettingsSharingABucket() {
    COvDiscDatabase db;
    AddDefaultSettings(db);
    auto list = std::make_shared<CStringList>();
    list->m_strings = {"x"};
    db.m_pSettings->m_map.SetAt("list", list);
    return CatalogueBytes(db);
}

// A disc written by hand with UTF-16 texts (the writer itself writes only UTF-8): a name with
// a character outside the BMP, and a file name long enough to need a two-byte length.
std::string WideTexts() {
    auto wide = [](Bytes& b, std::u16string_view text) {
        b.Byte(0xFF).Word(0xFFFE);
        if (text.size() < 0xFF) {
            b.Byte(static_cast<std::uint8_t>(text.size()));
        } else {
            b.Byte(0xFF).Word(static_cast<std::uint16_t>(text.size()));
        }
        for (char16_t unit : text) b.Word(unit);
    };
    Bytes b;
    b.Word(1).NewClass("COvDisc").Word(1).NewClass("COvFileData");
    std::u16string longName(260, u'\u00e9');
    wide(b, longName + u".txt");
    b.Str("e:\\").Str("42").Str("e:").Word(0);
    b.Str("5").Str("").Str("").Str("");
    wide(b, u"Caf\u00e9 \u266b \U0001D11E");
    b.Str("home").Str("").Str("");
    b.Str("5 Cafe\r\n").Word(0);
    b.Word(0).Word(0);  // no categories, no settings
    return b.str();
}

// Two discs with facts: times, a fingerprint, an encrypted entry and volume facts.
std::string Facts() {
    COvDiscDatabase db;
    for (const char* number : {"1", "2"}) {
        auto disc = MakeDisc(number, "backup", {MakeFile("a.txt", "d:\\docs\\", "5"), MakeFile("b.zip", "d:\\", "900")});
        disc->m_lstFiles[0]->m_facts.modified = 1700000000;
        disc->m_lstFiles[0]->m_facts.fingerprint = 0x1234;
        disc->m_lstFiles[1]->m_facts.modified = 4102444800;
        disc->m_lstFiles[1]->m_facts.encrypted = true;
        disc->m_facts = {"ext4", "BACKUP", "1b2c", "Model", 1000, 10, "2026-12-08T14:03:09+01:00"};
        db.AddTail(std::move(disc));
    }
    AddDefaultSettings(db);
    return CatalogueBytes(db);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const std::pair<const char*, std::string> seeds[] = {
        {"valid-one-disc-one-file", OneDiscOneFile()},
        {"valid-empty-default-settings", EmptyWithDefaultSettings()},
        {"valid-discs-sharing-records", DiscsSharingRecords()},
        {"valid-categories", Categories()},
        {"valid-nested-settings", NestedSettings()},
        {"valid-wide-texts", WideTexts()},
        {"valid-settings-sharing-a-bucket", SettingsSharingABucket()},
        {"valid-facts", Facts()},
    };
    for (const auto& [name, bytes] : seeds) {
        COvDiscDatabase check;
        std::string error;
        if (!ReadCatalogue(bytes, check, &error)) {
            std::fprintf(stderr, "%s does not read: %s\n", name, error.c_str());
            return 1;
        }
        WriteFileBytes(folder / name, bytes);
    }
    return 0;
}
