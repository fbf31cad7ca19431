#include "export/html_writer.h"

#include <charconv>

#include "export/html_page.h"

namespace ov2::exporting {
namespace {

void Base36(std::uint64_t value, std::string& out) {
    char digits[16];
    const auto [end, fault] = std::to_chars(digits, digits + sizeof digits, value, 36);
    (void)fault;
    out.append(digits, end);
}

}  // namespace

// JSON text that also cannot end the script element it sits in: "<", ">" and "&" are escaped.
void CHtmlWriter::String(std::string_view text, std::string& out) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";  // the separators of the file lines take two bytes, not six
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || c == '<' || c == '>' || c == '&') {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
    out += '"';
}

bool CHtmlWriter::Begin(const std::string& catalogue, const std::vector<std::string>&,
                        QString* error) {
    if (!Open(error)) return false;
    m_buffer += kHtmlPageBefore;
    m_buffer += "{\"catalogue\":";
    String(catalogue, m_buffer);
    m_buffer += ",\"discs\":[";
    return true;
}

void CHtmlWriter::Disc(const DiscRow& disc) {
    EndDisc();
    m_buffer += m_firstDisc ? "{" : ",{";
    m_firstDisc = false;
    m_buffer += "\"number\":";
    String(disc.number, m_buffer);
    m_buffer += ",\"name\":";
    String(disc.name, m_buffer);
    m_buffer += ",\"artist\":";
    String(disc.artist, m_buffer);
    m_buffer += ",\"location\":";
    String(disc.location, m_buffer);
    m_inDisc = true;
}

void CHtmlWriter::File(const DiscRow&, const FileRow& file) {
    if (m_folders.empty() || file.folder != m_lastFolder) {
        const auto [at, added] = m_folderIndex.try_emplace(file.folder, m_folders.size());
        if (added) m_folders.push_back(file.folder);
        m_lastFolder = file.folder;
        m_lastFolderIndex = at->second;
    }
    if (!m_files.empty()) m_files += '\n';
    Base36(m_lastFolderIndex, m_files);
    m_files += '\t';
    if (file.size && *file.size >= 0) Base36(static_cast<std::uint64_t>(*file.size), m_files);
    m_files += '\t';
    // A line a file: the name's own line breaks and TABs become blanks.
    for (char c : file.name) m_files += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
}

void CHtmlWriter::EndDisc() {
    if (!m_inDisc) return;
    m_buffer += ",\"folders\":[";
    for (std::size_t i = 0; i < m_folders.size(); ++i) {
        if (i) m_buffer += ',';
        String(m_folders[i], m_buffer);
    }
    m_buffer += "],\"files\":";
    String(m_files, m_buffer);
    m_buffer += '}';
    m_files.clear();
    m_folders.clear();
    m_folderIndex.clear();
    m_lastFolder.clear();
    m_lastFolderIndex = 0;
    m_inDisc = false;
    FlushIfFull();
}

bool CHtmlWriter::Finish(QString* error) {
    EndDisc();
    m_buffer += "]}";
    m_buffer += kHtmlPageAfter;
    return CTextFileWriter::Finish(error);
}

}  // namespace ov2::exporting
