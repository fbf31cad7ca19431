#include "export/delimited_writer.h"

#include "export/export_columns.h"

namespace ov2::exporting {

CDelimitedWriter::CDelimitedWriter(const QString& path, Kind kind, char separator, bool bom)
    : CTextFileWriter(path),
      m_kind(kind),
      m_separator(kind == Kind::Tsv ? '\t' : separator),
      m_bom(bom) {}

void CDelimitedWriter::Field(std::string_view text) {
    if (m_kind == Kind::Tsv) {
        for (char c : text) m_buffer += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
        return;
    }
    bool quote = false;
    for (char c : text)
        if (c == m_separator || c == '"' || c == '\r' || c == '\n') {
            quote = true;
            break;
        }
    if (!quote) {
        m_buffer += text;
        return;
    }
    m_buffer += '"';
    for (char c : text) {
        if (c == '"') m_buffer += '"';
        m_buffer += c;
    }
    m_buffer += '"';
}

void CDelimitedWriter::Categories(const std::vector<std::string>& categories) {
    std::string joined;
    for (const std::string& category : categories) {
        if (!joined.empty()) joined += kCategorySeparator;
        joined += category;
    }
    Field(joined);
}

bool CDelimitedWriter::Begin(const std::string&, const std::vector<std::string>&, QString* error) {
    if (!Open(error)) return false;
    if (m_bom) m_buffer += "\xEF\xBB\xBF";
    for (int i = 0; i < kColumnCount; ++i) {
        if (i) m_buffer += m_separator;
        m_buffer += kColumns[i];
    }
    m_buffer += m_kind == Kind::Csv ? "\r\n" : "\n";
    return true;
}

void CDelimitedWriter::Disc(const DiscRow& disc) {
    // The first six columns repeat on every row of the disc: they are formatted once.
    std::string rows;
    rows.swap(m_buffer);
    Field(disc.catalogue);
    EndField();
    Field(disc.number);
    EndField();
    Field(disc.name);
    EndField();
    Field(disc.artist);
    EndField();
    Field(disc.location);
    EndField();
    Categories(disc.categories);
    EndField();
    m_discFields.swap(m_buffer);
    m_buffer.swap(rows);
}

void CDelimitedWriter::File(const DiscRow&, const FileRow& file) {
    m_buffer += m_discFields;
    Field(file.folder);
    EndField();
    Field(file.name);
    EndField();
    Field(file.extension);
    EndField();
    Field(file.sizeText);
    EndField();
    Field(file.modified);
    EndField();
    Categories(file.categories);
    m_buffer += m_kind == Kind::Csv ? "\r\n" : "\n";
    FlushIfFull();
}

}  // namespace ov2::exporting
