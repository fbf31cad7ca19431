#pragma once

#include <unordered_map>

#include "export/text_file_writer.h"

namespace ov2::exporting {

// One self-contained HTML page: the discs as a tree of their folders, a search box, and the
// files in a list of which only the rows in view are drawn. The data sits in the page as
// compact JSON: per disc its folder paths and one text of its files, a line each
// ("folder index TAB size TAB name", numbers in base 36).
class CHtmlWriter final : public CTextFileWriter {
public:
    explicit CHtmlWriter(const QString& path) : CTextFileWriter(path) {}

    bool Begin(const std::string& catalogue, const std::vector<std::string>& categories,
               QString* error) override;
    void Disc(const DiscRow& disc) override;
    void File(const DiscRow& disc, const FileRow& file) override;
    bool Finish(QString* error) override;

private:
    void EndDisc();
    void String(std::string_view text, std::string& out);
    bool m_inDisc = false;
    bool m_firstDisc = true;
    std::string m_files;  // the open disc's file lines
    std::vector<std::string> m_folders;
    std::unordered_map<std::string, std::size_t> m_folderIndex;
    std::string m_lastFolder;
    std::size_t m_lastFolderIndex = 0;
};

}  // namespace ov2::exporting
