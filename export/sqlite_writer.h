#pragma once

#include <string>
#include <unordered_map>

#include "export/export_writer.h"

struct sqlite3;
struct sqlite3_stmt;

namespace ov2::exporting {

// An SQLite database of the schema below (kSqliteSchema), written in one transaction through
// prepared statements into a temporary file beside the destination, which takes the
// destination's name only when the export completes.
class CSqliteWriter final : public CExportWriter {
public:
    explicit CSqliteWriter(const QString& path);
    ~CSqliteWriter() override;

    bool Begin(const std::string& catalogue, const std::vector<std::string>& categories,
               QString* error) override;
    void Disc(const DiscRow& disc) override;
    void File(const DiscRow& disc, const FileRow& file) override;
    bool Finish(QString* error) override;
    void Abandon() override;

private:
    bool Exec(const char* sql);
    std::int64_t CatalogueId(const std::string& name);
    std::int64_t CategoryId(const std::string& name);
    std::int64_t FolderId(const std::string& path);
    void Step(sqlite3_stmt* statement);
    QString LastError() const;
    void Close();

    std::string m_path, m_temporary;
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_insertDisc = nullptr;
    sqlite3_stmt* m_insertFolder = nullptr;
    sqlite3_stmt* m_insertFile = nullptr;
    sqlite3_stmt* m_insertCategory = nullptr;
    sqlite3_stmt* m_insertFileCategory = nullptr;
    sqlite3_stmt* m_insertDiscCategory = nullptr;
    sqlite3_stmt* m_insertSearch = nullptr;
    sqlite3_stmt* m_insertCatalogue = nullptr;
    std::unordered_map<std::string, std::int64_t> m_categories, m_folders, m_catalogues;
    std::int64_t m_discId = 0, m_fileId = 0, m_folderId = 0;
    std::string m_lastFolder;
    std::int64_t m_lastFolderId = 0;
    bool m_failed = false;
    std::string m_error;
};

// The schema, as the help page documents it.
extern const char* const kSqliteSchema;

}  // namespace ov2::exporting
