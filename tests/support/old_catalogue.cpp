#include "tests/support/old_catalogue.h"

#include <functional>

#include "core/archive.h"
#include "core/string_list.h"
#include "tests/support/temp_dir.h"

namespace ov2::test {
namespace {

const OvRuntimeClass kOldDisc{"CDisc", 0, nullptr, true};
const OvRuntimeClass kOldFile{"CFileData", 0, nullptr, true};

struct OldRecord final : CObject {
    OldRecord(const OvRuntimeClass* cls, std::vector<std::string> texts, std::vector<std::string> categories)
        : m_class(cls), m_texts(std::move(texts)), m_categories(std::move(categories)) {}
    const OvRuntimeClass* GetRuntimeClass() const override { return m_class; }
    void Serialize(CArchive& ar) override {
        for (const std::string& text : m_texts) ar.WriteString(text);
        SerializeStrings(ar, m_categories);
    }
    const OvRuntimeClass* m_class;
    std::vector<std::string> m_texts, m_categories;
};

std::string ArchiveBytes(const std::function<void(CArchive&)>& write) {
    std::string bytes;
    CArchive ar([&bytes](const char* data, std::size_t size) { return bytes.append(data, size), true; });
    write(ar);
    ar.Flush();
    return bytes;
}

std::string ListFile(const std::vector<OldRecord>& records) {
    return ArchiveBytes([&records](CArchive& ar) {
        ar.WriteCount(records.size());
        for (const OldRecord& record : records) ar.WriteObject(&record);
    });
}

}  // namespace

std::string OldDiscsFile(const std::vector<OldDisc>& discs) {
    std::vector<OldRecord> records;
    for (const OldDisc& d : discs) {
        const std::string& n = d.number;
        records.emplace_back(&kOldDisc, std::vector<std::string>{n, "quality " + n, "notes " + n, "artist " + n,
                                                                 d.name, d.location, "saved " + n, "first", "second",
                                                                 "lent " + n, "third"},
                             d.categories);
    }
    return ListFile(records);
}

std::string OldFilesFile(const std::vector<OldFile>& files) {
    std::vector<OldRecord> records;
    for (const OldFile& f : files)
        records.emplace_back(&kOldFile, std::vector<std::string>{f.name, f.disc, f.folder, "1024", "e:"},
                             f.categories);
    return ListFile(records);
}

std::string OldCategoriesFile(const std::vector<std::string>& names) {
    std::vector<std::string> list = names;
    return ArchiveBytes([&list](CArchive& ar) { SerializeStrings(ar, list); });
}

void WriteOldCatalogue(const std::filesystem::path& folder, const std::vector<OldDisc>& discs,
                       const std::vector<std::string>& categories, const std::vector<OldFile>& files,
                       const std::string& tree) {
    std::filesystem::create_directories(folder);
    WriteFileBytes(folder / "Data.dat", OldDiscsFile(discs));
    WriteFileBytes(folder / "Cat.dat", OldCategoriesFile(categories));
    WriteFileBytes(folder / "FileData.dat", OldFilesFile(files));
    WriteFileBytes(folder / "Tree.ovdt", tree);
}

}  // namespace ov2::test
