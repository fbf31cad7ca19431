#include "export/catalogue_import.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/disc_database.h"
#include "core/map_string_to_string.h"
#include "core/ov2_doc.h"
#include "core/string_list.h"
#include "export/export_columns.h"
#include "export/export_rows.h"
#include "platform/text.h"

namespace ov2::exporting {
namespace {

struct RowError {
    std::size_t line;
    QString reason;
};

[[noreturn]] void Fail(std::size_t line, const QString& reason) {
    throw RowError{line, reason};
}

std::string Bytes(const QString& text) {
    return EncodeText(text);
}

std::vector<std::string> SplitCategories(std::string_view text) {
    std::vector<std::string> categories;
    while (!text.empty()) {
        const std::size_t cut = text.find(kCategorySeparator);
        categories.emplace_back(text.substr(0, cut));
        text = cut == std::string_view::npos ? std::string_view() : text.substr(cut + 1);
    }
    return categories;
}

// The catalogue as it is put together, row by row.
class Builder {
public:
    explicit Builder(COvDiscDatabase& database) : m_database(database) {}

    void Categories(std::vector<std::string> categories) {
        m_categoriesGiven = true;
        m_database.m_pCategories->m_strings = std::move(categories);
    }

    // A disc line: the whole disc, once.
    COvDisc& NewDisc(std::size_t line, const std::string& number) {
        if (number.empty()) Fail(line, QStringLiteral("the disc has no number"));
        if (m_discs.count(number))
            Fail(line, QStringLiteral("disc %1 appears twice").arg(DecodeText(number)));
        auto disc = std::make_shared<COvDisc>();
        disc->m_strNumber = number;
        m_discs[number] = disc.get();
        m_database.AddTail(disc);
        return *disc;
    }

    // A file row's disc: the one named before, or a new one from the row's disc columns.
    COvDisc& DiscOfRow(std::size_t line, const std::string& number, const std::string& name,
                       const std::string& artist, const std::string& location,
                       const std::vector<std::string>& categories) {
        if (const auto it = m_discs.find(number); it != m_discs.end()) return *it->second;
        COvDisc& disc = NewDisc(line, number);
        disc.m_strName = name;
        disc.m_strArtist = artist;
        disc.m_strLocation = location.empty() ? std::string("home") : location;
        disc.m_lstCategories = categories;
        NoteCategories(categories);
        m_needOutline.push_back(&disc);
        return disc;
    }

    void AddFile(COvDisc& disc, std::string folder, std::string name, std::string size,
                 std::vector<std::string> categories, std::int64_t modified) {
        auto file = std::make_shared<COvFileData>();
        file->m_facts.modified = modified;
        const std::size_t colon = folder.find(':');
        file->m_strDrive = colon != std::string::npos && colon < folder.find('\\')
                               ? folder.substr(0, colon + 1)
                               : std::string();
        file->m_strFolder = folder;
        file->m_strFileName = name;
        file->m_strSize = size;
        NoteCategories(categories);
        file->m_lstCategories = std::move(categories);
        disc.m_lstFiles.push_back(std::move(file));
    }

    void Finish() {
        for (COvDisc* disc : m_needOutline) disc->m_strFolderTree = Outline(*disc);
        // Discs in ascending number order, as the catalogue keeps them.
        std::stable_sort(m_database.m_lstDiscs.begin(), m_database.m_lstDiscs.end(),
                         [](const auto& a, const auto& b) {
                             const auto x = WholeNumber(a->m_strNumber),
                                        y = WholeNumber(b->m_strNumber);
                             return x && y ? *x < *y : false;
                         });
        if (!m_categoriesGiven) m_database.m_pCategories->m_strings = m_seenCategories;
        // The settings of a new catalogue.
        auto& settings = m_database.m_pSettings->m_map;
        settings.SetAt("SearchCombo", std::make_shared<CStringList>());
        settings.SetAt("LendCombo", std::make_shared<CStringList>());
        auto cddb = std::make_shared<CMapStringToString>();
        cddb->m_map.SetAt("active", COv2Doc::kDefaultCddbServer);
        settings.SetAt("CDDB", std::move(cddb));
    }

private:
    void NoteCategories(const std::vector<std::string>& categories) {
        for (const std::string& category : categories)
            if (std::find(m_seenCategories.begin(), m_seenCategories.end(), category) ==
                m_seenCategories.end())
                m_seenCategories.push_back(category);
    }

    // The root line and the folders the files name below the drive, in the order first named.
    static std::string Outline(const COvDisc& disc) {
        struct Node {
            std::string name;
            std::vector<std::unique_ptr<Node>> children;
        };
        Node root;
        for (const auto& file : disc.m_lstFiles) {
            std::string_view path = file->m_strFolder;
            if (const std::size_t colon = path.find(':');
                colon != std::string_view::npos && colon < path.find('\\'))
                path.remove_prefix(colon + 1);
            Node* node = &root;
            while (!path.empty()) {
                const std::size_t cut = path.find('\\');
                const std::string_view name = path.substr(0, cut);
                path = cut == std::string_view::npos ? std::string_view() : path.substr(cut + 1);
                if (name.empty()) continue;
                auto it = std::find_if(node->children.begin(), node->children.end(),
                                       [&](const auto& child) { return child->name == name; });
                if (it == node->children.end()) {
                    node->children.push_back(std::make_unique<Node>(Node{std::string(name), {}}));
                    it = node->children.end() - 1;
                }
                node = it->get();
            }
        }
        std::string outline =
            COvDiscDatabase::OutlineSafeName(disc.m_strNumber.str() + " " + disc.m_strName.str()) +
            "\r\n";
        std::vector<std::pair<const Node*, std::size_t>> pending;
        for (auto it = root.children.rbegin(); it != root.children.rend(); ++it)
            pending.emplace_back(it->get(), 1);
        while (!pending.empty()) {
            const auto [node, depth] = pending.back();
            pending.pop_back();
            outline.append(depth, '\t').append(node->name).append("\r\n");
            for (auto it = node->children.rbegin(); it != node->children.rend(); ++it)
                pending.emplace_back(it->get(), depth + 1);
        }
        return outline;
    }

    COvDiscDatabase& m_database;
    std::unordered_map<std::string, COvDisc*> m_discs;
    std::vector<COvDisc*> m_needOutline;
    std::vector<std::string> m_seenCategories;
    bool m_categoriesGiven = false;
};

// ---------------------------------------------------------------- JSON Lines

std::string Text(const QJsonObject& row, const char* key, std::size_t line, bool required = true) {
    const QJsonValue value = row.value(QLatin1String(key));
    if (value.isUndefined() && !required) return {};
    if (!value.isString())
        Fail(line, QStringLiteral("\"%1\" is not a text").arg(QLatin1String(key)));
    return Bytes(value.toString());
}

// A number or its text ("disc", "size").
std::string NumberText(const QJsonObject& row, const char* key, std::size_t line) {
    const QJsonValue value = row.value(QLatin1String(key));
    if (value.isString()) return Bytes(value.toString());
    if (value.isDouble()) {
        const qint64 number = value.toInteger(-1);
        if (static_cast<double>(number) == value.toDouble()) return std::to_string(number);
    }
    if (value.isNull()) return {};
    Fail(line, QStringLiteral("\"%1\" is not a whole number").arg(QLatin1String(key)));
}

// The file's modification time as exports write it; no time when empty or null.
std::int64_t Modified(std::string_view text, std::size_t line) {
    if (text.empty()) return ov2::FileFacts::kNoTime;
    const std::optional<std::int64_t> seconds = ov2::exporting::ParseModified(text);
    if (!seconds)
        Fail(line, QStringLiteral("\"modified\" is neither an ISO 8601 time with its zone nor seconds since 1970"));
    return *seconds;
}

std::vector<std::string> Texts(const QJsonObject& row, const char* key, std::size_t line) {
    const QJsonValue value = row.value(QLatin1String(key));
    if (value.isUndefined()) return {};
    if (!value.isArray())
        Fail(line, QStringLiteral("\"%1\" is not a list").arg(QLatin1String(key)));
    std::vector<std::string> texts;
    for (const QJsonValue& element : value.toArray()) {
        if (!element.isString())
            Fail(line, QStringLiteral("\"%1\" holds more than texts").arg(QLatin1String(key)));
        texts.push_back(Bytes(element.toString()));
    }
    return texts;
}

void ImportJsonLines(std::string_view bytes, Builder& builder) {
    std::size_t line = 0;
    while (!bytes.empty()) {
        ++line;
        const std::size_t end = bytes.find('\n');
        std::string_view text = bytes.substr(0, end);
        bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        if (text.find_first_not_of(" \t") == std::string_view::npos) continue;
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(ToByteArray(text), &parseError);
        if (!document.isObject())
            Fail(line, document.isNull() ? parseError.errorString()
                                         : QStringLiteral("expected an object"));
        const QJsonObject row = document.object();
        const QString type = row.value(QStringLiteral("type")).toString();
        if (type == QLatin1String("catalogue")) {
            builder.Categories(Texts(row, "categories", line));
        } else if (type == QLatin1String("disc")) {
            COvDisc& disc = builder.NewDisc(line, NumberText(row, "disc", line));
            disc.m_strName = Text(row, "discName", line);
            disc.m_strArtist = Text(row, "artist", line);
            disc.m_strLocation = Text(row, "location", line);
            disc.m_lstCategories = Texts(row, "discCategories", line);
            disc.m_strQuality = Text(row, "quality", line, false);
            disc.m_strNotes = Text(row, "notes", line, false);
            disc.m_strSavedAt = Text(row, "savedAt", line, false);
            disc.m_strLendDate = Text(row, "lendDate", line, false);
            disc.m_strFolderTree = Text(row, "outline", line);
        } else if (row.contains(QStringLiteral("type"))) {
            Fail(line, QStringLiteral("unknown type \"%1\"").arg(type));
        } else {
            // Read one after the other, so that the first fault of a row is the one named.
            const std::string number = NumberText(row, "disc", line);
            std::string folder = Text(row, "folder", line), name = Text(row, "name", line);
            std::string size = NumberText(row, "size", line);
            const std::vector<std::string> discCategories = Texts(row, "discCategories", line);
            COvDisc& disc = builder.DiscOfRow(line, number, Text(row, "discName", line, false),
                                              Text(row, "artist", line, false),
                                              Text(row, "location", line, false), discCategories);
            const QJsonValue time = row.value(QStringLiteral("modified"));
            const std::int64_t modified =
                time.isUndefined() || time.isNull() ? ov2::FileFacts::kNoTime : Modified(NumberText(row, "modified", line), line);
            builder.AddFile(disc, std::move(folder), std::move(name), std::move(size),
                            Texts(row, "categories", line), modified);
        }
    }
}

// ---------------------------------------------------------------- CSV and TSV

// RFC 4180 records; a quoted field may hold separators, doubled quotes and line breaks.
class CsvReader {
public:
    CsvReader(std::string_view bytes, char separator) : m_bytes(bytes), m_separator(separator) {}

    bool AtEnd() const { return m_at >= m_bytes.size(); }
    std::size_t Line() const { return m_line; }

    // The next record's fields; `start` receives the line it starts on.
    std::vector<std::string> Next(std::size_t* start) {
        std::vector<std::string> fields(1);
        *start = m_line;
        while (m_at < m_bytes.size()) {
            const char c = m_bytes[m_at++];
            if (c == '"' && fields.back().empty() && m_separator != '\t') {
                QuotedField(fields.back(), *start);
            } else if (c == m_separator) {
                fields.emplace_back();
            } else if (c == '\n' || (c == '\r' && m_at < m_bytes.size() && m_bytes[m_at] == '\n')) {
                if (c == '\r') ++m_at;
                ++m_line;
                return fields;
            } else {
                fields.back() += c;
            }
        }
        return fields;
    }

private:
    void QuotedField(std::string& field, std::size_t start) {
        for (;;) {
            if (m_at >= m_bytes.size()) Fail(start, QStringLiteral("a quoted field does not end"));
            const char c = m_bytes[m_at++];
            if (c == '\n') ++m_line;
            if (c != '"') {
                field += c;
            } else if (m_at < m_bytes.size() && m_bytes[m_at] == '"') {
                field += '"';
                ++m_at;
            } else {
                break;
            }
        }
        const char next = m_at < m_bytes.size() ? m_bytes[m_at] : '\n';
        if (next != m_separator && next != '\n' && next != '\r')
            Fail(start, QStringLiteral("text follows a quoted field"));
    }

    std::string_view m_bytes;
    char m_separator;
    std::size_t m_at = 0;
    std::size_t m_line = 1;
};

void ImportDelimited(std::string_view bytes, Builder& builder) {
    const std::string_view header = bytes.substr(0, bytes.find_first_of("\r\n"));
    char separator = ',';
    for (char candidate : {'\t', ';', ','})
        if (header.find(candidate) != std::string_view::npos) {
            separator = candidate;
            break;
        }
    CsvReader reader(bytes, separator);
    std::size_t line = 0;
    const std::vector<std::string> names = reader.Next(&line);
    int column[kColumnCount];
    for (int i = 0; i < kColumnCount; ++i) {
        const auto it = std::find(names.begin(), names.end(), kColumns[i]);
        column[i] = it == names.end() ? -1 : static_cast<int>(it - names.begin());
    }
    const auto at = [&column](const char* name) {
        for (int i = 0; i < kColumnCount; ++i)
            if (std::string_view(kColumns[i]) == name) return column[i];
        return -1;
    };
    for (const char* required : {"disc", "folder", "name", "size"})
        if (at(required) < 0)
            Fail(1, QStringLiteral("the header has no column \"%1\"").arg(QLatin1String(required)));
    while (!reader.AtEnd()) {
        const std::vector<std::string> fields = reader.Next(&line);
        if (fields.size() == 1 && fields[0].empty()) continue;  // a blank line
        if (fields.size() != names.size())
            Fail(line, QStringLiteral("%1 fields where the header has %2")
                           .arg(fields.size())
                           .arg(names.size()));
        const auto field = [&](const char* name) {
            const int index = at(name);
            return index < 0 ? std::string() : fields[static_cast<std::size_t>(index)];
        };
        COvDisc& disc =
            builder.DiscOfRow(line, field("disc"), field("discName"), field("artist"),
                              field("location"), SplitCategories(field("discCategories")));
        builder.AddFile(disc, field("folder"), field("name"), field("size"),
                        SplitCategories(field("categories")), Modified(field("modified"), line));
    }
}

}  // namespace

bool ImportCatalogue(const std::string& input, COvDiscDatabase& database, QString* error) {
    std::string_view bytes = input;
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    Builder builder(database);
    try {
        if (bytes.find_first_not_of(" \t\r\n") != std::string_view::npos &&
            bytes[bytes.find_first_not_of(" \t\r\n")] == '{')
            ImportJsonLines(bytes, builder);
        else
            ImportDelimited(bytes, builder);
        builder.Finish();
    } catch (const RowError& e) {
        if (error) *error = QStringLiteral("line %1: %2").arg(e.line).arg(e.reason);
        return false;
    }
    return true;
}

}  // namespace ov2::exporting
