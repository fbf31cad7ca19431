#pragma once

#include <QSaveFile>
#include <string>

#include "export/export_writer.h"

namespace ov2::exporting {

// A text format's file: the rows are gathered in memory and written in large pieces to a
// temporary file that takes the destination's name only when the export completes.
class CTextFileWriter : public CExportWriter {
public:
    explicit CTextFileWriter(const QString& path);

    bool Finish(QString* error) override;
    void Abandon() override;

protected:
    bool Open(QString* error);
    std::string m_buffer;
    void FlushIfFull() {
        if (m_buffer.size() >= kFlushBytes) Flush();
    }

private:
    static constexpr std::size_t kFlushBytes = 1 << 20;
    void Flush();
    QSaveFile m_file;
    bool m_failed = false;
};

}  // namespace ov2::exporting
