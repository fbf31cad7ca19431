#include "export/sqlite_writer.h"

#include <sqlite3.h>

#include <QFile>
#include <filesystem>
#include <random>

namespace ov2::exporting {

// Plain SQL types and foreign keys, so that the same text creates the tables in other SQL
// databases too; the last statement (full text search) is SQLite's own.
const char* const kSqliteSchema = R"(CREATE TABLE catalogue (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL
);
CREATE TABLE disc (
    id INTEGER PRIMARY KEY,
    catalogue_id INTEGER NOT NULL REFERENCES catalogue(id),
    number INTEGER NOT NULL,
    name TEXT NOT NULL,
    artist TEXT NOT NULL,
    location TEXT NOT NULL,
    lend_date TEXT NOT NULL,
    saved_at TEXT NOT NULL,
    quality TEXT NOT NULL,
    notes TEXT NOT NULL
);
CREATE TABLE folder (
    id INTEGER PRIMARY KEY,
    disc_id INTEGER NOT NULL REFERENCES disc(id),
    path TEXT NOT NULL
);
CREATE TABLE file (
    id INTEGER PRIMARY KEY,
    disc_id INTEGER NOT NULL REFERENCES disc(id),
    folder_id INTEGER NOT NULL REFERENCES folder(id),
    name TEXT NOT NULL,
    extension TEXT NOT NULL,
    size BIGINT,
    modified TEXT
);
CREATE TABLE category (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL UNIQUE
);
CREATE TABLE file_category (
    file_id INTEGER NOT NULL REFERENCES file(id),
    category_id INTEGER NOT NULL REFERENCES category(id),
    PRIMARY KEY (file_id, category_id)
);
CREATE TABLE disc_category (
    disc_id INTEGER NOT NULL REFERENCES disc(id),
    category_id INTEGER NOT NULL REFERENCES category(id),
    PRIMARY KEY (disc_id, category_id)
);
CREATE VIEW file_row AS
    SELECT file.id AS id, catalogue.name AS catalogue, disc.number AS disc, disc.name AS discName,
           disc.artist, disc.location,
           (SELECT group_concat(category.name, ';') FROM disc_category
            JOIN category ON category.id = disc_category.category_id
            WHERE disc_category.disc_id = disc.id) AS discCategories,
           folder.path AS folder, file.name, file.extension, file.size, file.modified,
           (SELECT group_concat(category.name, ';') FROM file_category
            JOIN category ON category.id = file_category.category_id
            WHERE file_category.file_id = file.id) AS categories
    FROM file JOIN disc ON disc.id = file.disc_id JOIN folder ON folder.id = file.folder_id
         JOIN catalogue ON catalogue.id = disc.catalogue_id;
)";

namespace {

// Created after the rows: building an index once is faster than keeping it up to date.
constexpr const char* kIndexes = R"(
CREATE INDEX disc_number ON disc(number);
CREATE INDEX folder_disc ON folder(disc_id);
CREATE INDEX file_disc ON file(disc_id);
CREATE INDEX file_folder ON file(folder_id);
CREATE INDEX file_extension ON file(extension);
CREATE INDEX file_size ON file(size);
CREATE INDEX file_category_category ON file_category(category_id);
CREATE INDEX disc_category_category ON disc_category(category_id);
)";

// Words of file and folder names, for MATCH; its rowid is the file's id.
constexpr const char* kSearch =
    "CREATE VIRTUAL TABLE file_search USING fts5(name, folder, content='', "
    "tokenize=\"unicode61 remove_diacritics 2 tokenchars '_'\");";

void Bind(sqlite3_stmt* statement, int at, const std::string& text) {
    sqlite3_bind_text(statement, at, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

}  // namespace

CSqliteWriter::CSqliteWriter(const QString& path) : m_path(QFile::encodeName(path).toStdString()) {}

CSqliteWriter::~CSqliteWriter() {
    if (m_db) Abandon();
}

bool CSqliteWriter::Exec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    m_failed = true;
    if (m_error.empty()) m_error = message ? message : "SQLite failed";
    sqlite3_free(message);
    return false;
}

void CSqliteWriter::Step(sqlite3_stmt* statement) {
    if (sqlite3_step(statement) != SQLITE_DONE && !m_failed) {
        m_failed = true;
        m_error = sqlite3_errmsg(m_db);
    }
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
}

QString CSqliteWriter::LastError() const {
    return QString::fromUtf8(m_error.data(), static_cast<qsizetype>(m_error.size()));
}

bool CSqliteWriter::Begin(const std::string& catalogue, const std::vector<std::string>& categories,
                          QString* error) {
    std::random_device random;
    m_temporary = m_path + ".part" + std::to_string(random() % 1000000);
    std::error_code ignored;
    std::filesystem::remove(m_temporary,
                            ignored);  // a database begun there before and never finished
    if (sqlite3_open_v2(m_temporary.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        m_error = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        if (error)
            *error = LastError() + QStringLiteral(": ") + QFile::decodeName(m_temporary.c_str());
        Abandon();
        return false;
    }
    // The file is new and only counts once renamed: no journal is needed to protect it.
    Exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA locking_mode=EXCLUSIVE; BEGIN;");
    Exec(kSqliteSchema);
    Exec(kSearch);
    const auto prepare = [this](const char* sql, sqlite3_stmt** statement) {
        if (!m_failed && sqlite3_prepare_v2(m_db, sql, -1, statement, nullptr) != SQLITE_OK) {
            m_failed = true;
            m_error = sqlite3_errmsg(m_db);
        }
    };
    prepare("INSERT INTO disc VALUES (?,?,?,?,?,?,?,?,?,?)", &m_insertDisc);
    prepare("INSERT INTO folder VALUES (?,?,?)", &m_insertFolder);
    prepare("INSERT INTO file VALUES (?,?,?,?,?,?,?)", &m_insertFile);
    prepare("INSERT INTO category VALUES (?,?)", &m_insertCategory);
    prepare("INSERT OR IGNORE INTO file_category VALUES (?,?)", &m_insertFileCategory);
    prepare("INSERT OR IGNORE INTO disc_category VALUES (?,?)", &m_insertDiscCategory);
    prepare("INSERT INTO file_search(rowid, name, folder) VALUES (?,?,?)", &m_insertSearch);
    prepare("INSERT INTO catalogue VALUES (?,?)", &m_insertCatalogue);
    if (!m_failed) CatalogueId(catalogue);
    for (const std::string& category : categories) CategoryId(category);
    if (m_failed) {
        if (error) *error = LastError();
        Abandon();
        return false;
    }
    return true;
}

std::int64_t CSqliteWriter::CatalogueId(const std::string& name) {
    const auto [at, added] =
        m_catalogues.try_emplace(name, static_cast<std::int64_t>(m_catalogues.size()) + 1);
    if (added) {
        sqlite3_bind_int64(m_insertCatalogue, 1, at->second);
        Bind(m_insertCatalogue, 2, name);
        Step(m_insertCatalogue);
    }
    return at->second;
}

std::int64_t CSqliteWriter::CategoryId(const std::string& name) {
    const auto [at, added] =
        m_categories.try_emplace(name, static_cast<std::int64_t>(m_categories.size()) + 1);
    if (added) {
        sqlite3_bind_int64(m_insertCategory, 1, at->second);
        Bind(m_insertCategory, 2, name);
        Step(m_insertCategory);
    }
    return at->second;
}

std::int64_t CSqliteWriter::FolderId(const std::string& path) {
    // The files of a folder come together: the last folder answers most rows.
    if (m_lastFolderId && path == m_lastFolder) return m_lastFolderId;
    const auto [at, added] = m_folders.try_emplace(path, m_folderId + 1);
    if (added) {
        ++m_folderId;
        sqlite3_bind_int64(m_insertFolder, 1, m_folderId);
        sqlite3_bind_int64(m_insertFolder, 2, m_discId);
        Bind(m_insertFolder, 3, path);
        Step(m_insertFolder);
    }
    m_lastFolder = path;
    m_lastFolderId = at->second;
    return at->second;
}

void CSqliteWriter::Disc(const DiscRow& disc) {
    m_folders.clear();
    m_lastFolderId = 0;
    ++m_discId;
    sqlite3_bind_int64(m_insertDisc, 1, m_discId);
    sqlite3_bind_int64(m_insertDisc, 2, CatalogueId(disc.catalogue));
    if (disc.numberValue)
        sqlite3_bind_int64(m_insertDisc, 3, *disc.numberValue);
    else
        Bind(m_insertDisc, 3, disc.number);
    Bind(m_insertDisc, 4, disc.name);
    Bind(m_insertDisc, 5, disc.artist);
    Bind(m_insertDisc, 6, disc.location);
    Bind(m_insertDisc, 7, disc.lendDate);
    Bind(m_insertDisc, 8, disc.savedAt);
    Bind(m_insertDisc, 9, disc.quality);
    Bind(m_insertDisc, 10, disc.notes);
    Step(m_insertDisc);
    for (const std::string& category : disc.categories) {
        sqlite3_bind_int64(m_insertDiscCategory, 1, m_discId);
        sqlite3_bind_int64(m_insertDiscCategory, 2, CategoryId(category));
        Step(m_insertDiscCategory);
    }
}

void CSqliteWriter::File(const DiscRow&, const FileRow& file) {
    if (m_failed) return;
    const std::int64_t folder = FolderId(file.folder);
    ++m_fileId;
    sqlite3_bind_int64(m_insertFile, 1, m_fileId);
    sqlite3_bind_int64(m_insertFile, 2, m_discId);
    sqlite3_bind_int64(m_insertFile, 3, folder);
    Bind(m_insertFile, 4, file.name);
    Bind(m_insertFile, 5, file.extension);
    if (file.size)
        sqlite3_bind_int64(m_insertFile, 6, *file.size);
    else if (!file.sizeText.empty())
        Bind(m_insertFile, 6, file.sizeText);
    if (!file.modified.empty()) Bind(m_insertFile, 7, file.modified);
    Step(m_insertFile);
    for (const std::string& category : file.categories) {
        sqlite3_bind_int64(m_insertFileCategory, 1, m_fileId);
        sqlite3_bind_int64(m_insertFileCategory, 2, CategoryId(category));
        Step(m_insertFileCategory);
    }
    sqlite3_bind_int64(m_insertSearch, 1, m_fileId);
    Bind(m_insertSearch, 2, file.name);
    Bind(m_insertSearch, 3, file.folder);
    Step(m_insertSearch);
}

void CSqliteWriter::Close() {
    for (sqlite3_stmt* statement :
         {m_insertDisc, m_insertFolder, m_insertFile, m_insertCategory, m_insertFileCategory,
          m_insertDiscCategory, m_insertSearch, m_insertCatalogue})
        sqlite3_finalize(statement);
    m_insertDisc = m_insertFolder = m_insertFile = m_insertCategory = m_insertFileCategory =
        m_insertDiscCategory = m_insertSearch = m_insertCatalogue = nullptr;
    if (m_db) sqlite3_close(m_db);
    m_db = nullptr;
}

bool CSqliteWriter::Finish(QString* error) {
    if (!m_failed) Exec(kIndexes);
    if (!m_failed) Exec("COMMIT;");
    Close();
    std::error_code fault;
    if (!m_failed) std::filesystem::rename(m_temporary, m_path, fault);
    if (m_failed || fault) {
        if (fault) m_error = fault.message();
        if (error) *error = LastError();
        std::filesystem::remove(m_temporary, fault);
        return false;
    }
    return true;
}

void CSqliteWriter::Abandon() {
    Close();
    std::error_code fault;
    if (!m_temporary.empty()) std::filesystem::remove(m_temporary, fault);
}

}  // namespace ov2::exporting
