#pragma once

#include <archive.h>
#include <archive_entry.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

// ISO 9660 images written with libarchive's own writer, for the tests, the fuzz seeds and the
// benchmark.
namespace ov2::test {

struct IsoName {
    bool rockRidge = true;
    bool joliet = true;
};

// Writes `folder`'s tree (files and folders; nothing else) as the image `image`.
inline void WriteIsoImage(const std::filesystem::path& image, const std::filesystem::path& folder,
                          IsoName names = {}) {
    archive* a = archive_write_new();
    archive_write_set_format_iso9660(a);
    archive_write_set_option(a, "iso9660", "rockridge", names.rockRidge ? "1" : nullptr);
    archive_write_set_option(a, "iso9660", "joliet", names.joliet ? "1" : nullptr);
    if (archive_write_open_filename(a, image.c_str()) != ARCHIVE_OK)
        throw std::runtime_error(archive_error_string(a));
    archive_entry* entry = archive_entry_new();
    std::string data;
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
        const bool isFolder = item.is_directory();
        data = isFolder ? std::string() : std::string(std::filesystem::file_size(item.path()), '\0');
        if (!isFolder && !data.empty()) {
            FILE* in = std::fopen(item.path().c_str(), "rb");
            if (!in || std::fread(data.data(), 1, data.size(), in) != data.size()) throw std::runtime_error("read");
            std::fclose(in);
        }
        archive_entry_clear(entry);
        archive_entry_set_pathname(entry, item.path().lexically_relative(folder).c_str());
        archive_entry_set_filetype(entry, isFolder ? AE_IFDIR : AE_IFREG);
        archive_entry_set_perm(entry, isFolder ? 0755 : 0644);
        archive_entry_set_size(entry, static_cast<la_int64_t>(data.size()));
        if (archive_write_header(a, entry) != ARCHIVE_OK) throw std::runtime_error(archive_error_string(a));
        if (!data.empty()) archive_write_data(a, data.data(), data.size());
    }
    archive_entry_free(entry);
    if (archive_write_close(a) != ARCHIVE_OK) throw std::runtime_error(archive_error_string(a));
    archive_write_free(a);
}

}  // namespace ov2::test
