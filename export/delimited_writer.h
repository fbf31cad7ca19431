#pragma once

#include "export/text_file_writer.h"

namespace ov2::exporting {

// CSV (RFC 4180: CR LF line ends; a field that holds the separator, a quote or a line break is
// quoted, its quotes doubled) or TSV (one row a line: TAB, CR and LF inside a field become
// blanks). A header row names the columns. With `bom`, the file starts with the UTF-8 byte order
// mark, by which spreadsheet programs know the encoding.
class CDelimitedWriter final : public CTextFileWriter {
public:
    enum class Kind { Csv, Tsv };
    CDelimitedWriter(const QString& path, Kind kind, char separator = ',', bool bom = false);

    bool Begin(const std::string& catalogue, const std::vector<std::string>& categories,
               QString* error) override;
    void Disc(const DiscRow& disc) override;
    void File(const DiscRow& disc, const FileRow& file) override;

private:
    void Field(std::string_view text);
    void Categories(const std::vector<std::string>& categories);
    void EndField() { m_buffer += m_separator; }

    Kind m_kind;
    char m_separator;
    bool m_bom;
    std::string m_discFields;  // the disc's columns, formatted once per disc
};

}  // namespace ov2::exporting
