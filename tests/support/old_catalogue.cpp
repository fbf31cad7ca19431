#include "tests/support/old_catalogue.h"

#include <functional>

#include "core/archive.h"
#include "core/string_list.h"

namespace ov2::test {
namespace {

const OvRuntimeClass kOldDisc{"CDisc", 0, nullptr, true};
const OvRuntimeClass kOldFile{"CFileData", 0, nullptr, true};

struct OldRecord final : CObject {
    OldRecord(const OvRuntimeClass* cls, std::vector<std::string> texts, std::vector<std::string> categories)
        : cls(cls), texts(std::move(texts)), categories(std::move(categories)) {}
    const OvRuntimeClass* GetRuntimeClass() const override { return cls; }
    void Serialize(CArchive& ar) override {
        for (const std::string& text : texts) ar.WriteString(text);
        SerializeStrings(ar, categories);
    }
    const OvRuntimeClass* cls;
    std::vector<std::string> texts, categories;
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
        records.emplace_back(&kOldDisc, std::vector<std::string>{n, "quality " + n, "notes " + n, "artist " + n, d.name,
                                                                 d.location, "saved " + n, "1st", "2nd", "lent " + n, "3rd"},
                             d.categories);
    }
    return ListFile(records);
}

std::string OldFilesFile(const std::vector<OldFile>& files) {
    std::vector<OldRecord> records;
    for (const OldFile& f : files)
        records.emplace_back(&kOldFile, std::vector<std::string>{f.name, f.disc, f.folder, "1024", "e:"}, f.categories);
    return ListFile(records);
}

std::string OldCategoriesFile(std::vector<std::string> names) {
    return ArchiveBytes([&names](CArchive& ar) { SerializeStrings(ar, names); });
}

}  // namespace ov2::test
