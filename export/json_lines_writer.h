#pragma once

#include "export/text_file_writer.h"

namespace ov2::exporting {

// JSON Lines: one object a line. Every file is a row with the columns' keys (disc and size as
// numbers when they are whole numbers, modified null, categories as arrays). So that the
// export is also a backup that `ov2cat import` reads back whole, the first line describes the
// catalogue ({"type":"catalogue", "catalogue", "categories"}) and each disc's files follow a
// line {"type":"disc", the disc's columns, "quality", "notes", "savedAt", "lendDate",
// "outline"}; file rows have no "type".
class CJsonLinesWriter final : public CTextFileWriter {
public:
    explicit CJsonLinesWriter(const QString& path) : CTextFileWriter(path) {}

    bool Begin(const std::string& catalogue, const std::vector<std::string>& categories,
               QString* error) override;
    void Disc(const DiscRow& disc) override;
    void File(const DiscRow& disc, const FileRow& file) override;

private:
    void String(std::string_view text);
    void Key(const char* key);
    void Strings(const std::vector<std::string>& texts);
    std::string m_discFields;  // the disc's keys of a file row, formatted once per disc
};

}  // namespace ov2::exporting
