#include "export/text_file_writer.h"

namespace ov2::exporting {

CTextFileWriter::CTextFileWriter(const QString& path) : m_file(path) {}

bool CTextFileWriter::Open(QString* error) {
    if (m_file.open(QIODevice::WriteOnly)) return true;
    if (error) *error = m_file.errorString();
    return false;
}

void CTextFileWriter::Flush() {
    if (m_buffer.empty() || m_failed) return;
    const auto size = static_cast<qint64>(m_buffer.size());
    if (m_file.write(m_buffer.data(), size) != size) m_failed = true;
    m_buffer.clear();
}

bool CTextFileWriter::Finish(QString* error) {
    Flush();
    // A write that failed (a full disk) makes commit fail too, and the destination stays as it was.
    if (m_failed || !m_file.commit()) {
        if (error) *error = m_file.errorString();
        return false;
    }
    return true;
}

void CTextFileWriter::Abandon() {
    m_buffer.clear();
    if (!m_file.isOpen()) return;
    m_file.cancelWriting();
    m_file
        .commit();  // after cancelWriting this removes the temporary file and keeps the destination
}

}  // namespace ov2::exporting
