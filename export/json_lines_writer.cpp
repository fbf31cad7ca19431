#include "export/json_lines_writer.h"

namespace ov2::exporting {

void CJsonLinesWriter::String(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    m_buffer += '"';
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            m_buffer += '\\';
            m_buffer += c;
        } else if (c == '\n' || c == '\r' || c == '\t') {
            m_buffer += '\\';
            m_buffer += c == '\n' ? 'n' : c == '\r' ? 'r' : 't';
        } else if (byte < 0x20) {
            m_buffer += "\\u00";
            m_buffer += kHex[byte >> 4];
            m_buffer += kHex[byte & 15];
        } else {
            m_buffer += c;  // UTF-8 passes as it is
        }
    }
    m_buffer += '"';
}

void CJsonLinesWriter::Key(const char* key) {
    if (m_buffer.back() != '{') m_buffer += ',';
    m_buffer += '"';
    m_buffer += key;
    m_buffer += "\":";
}

void CJsonLinesWriter::Strings(const std::vector<std::string>& texts) {
    m_buffer += '[';
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i) m_buffer += ',';
        String(texts[i]);
    }
    m_buffer += ']';
}

bool CJsonLinesWriter::Begin(const std::string& catalogue,
                             const std::vector<std::string>& categories, QString* error) {
    if (!Open(error)) return false;
    m_buffer += "{\"type\":\"catalogue\"";
    Key("catalogue");
    String(catalogue);
    Key("categories");
    Strings(categories);
    m_buffer += "}\n";
    return true;
}

void CJsonLinesWriter::Disc(const DiscRow& disc) {
    std::string rows;
    rows.swap(m_buffer);
    m_buffer += '{';
    Key("catalogue");
    String(disc.catalogue);
    Key("disc");
    if (disc.numberValue)
        m_buffer += std::to_string(*disc.numberValue);
    else
        String(disc.number);
    Key("discName");
    String(disc.name);
    Key("artist");
    String(disc.artist);
    Key("location");
    String(disc.location);
    Key("discCategories");
    Strings(disc.categories);
    m_discFields.assign(m_buffer);
    // The disc's own line: the same keys and what only a disc has.
    m_buffer.insert(1, "\"type\":\"disc\",");
    Key("quality");
    String(disc.quality);
    Key("notes");
    String(disc.notes);
    Key("savedAt");
    String(disc.savedAt);
    Key("lendDate");
    String(disc.lendDate);
    Key("outline");
    String(disc.outline);
    m_buffer += "}\n";
    rows += m_buffer;
    m_buffer.swap(rows);
}

void CJsonLinesWriter::File(const DiscRow&, const FileRow& file) {
    m_buffer += m_discFields;
    Key("folder");
    String(file.folder);
    Key("name");
    String(file.name);
    Key("extension");
    String(file.extension);
    Key("size");
    if (file.size)
        m_buffer += std::to_string(*file.size);
    else
        String(file.sizeText);
    Key("modified");
    if (file.modified.empty())
        m_buffer += "null";
    else
        String(file.modified);
    Key("categories");
    Strings(file.categories);
    m_buffer += "}\n";
    FlushIfFull();
}

}  // namespace ov2::exporting
