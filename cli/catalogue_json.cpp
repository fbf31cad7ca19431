#include "cli/catalogue_json.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonValue>
#include <QRegularExpression>

#include <algorithm>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/disc_database.h"
#include "core/map_string_to_ob.h"
#include "core/map_string_to_string.h"
#include "core/ob_list.h"
#include "core/string_list.h"

namespace {

// The text fields of the records with their JSON keys, for both directions.
struct DiscText {
    const char* key;
    OvString COvDisc::*member;
};
constexpr DiscText kDiscTexts[] = {
    {"number", &COvDisc::m_strNumber},     {"name", &COvDisc::m_strName},
    {"artist", &COvDisc::m_strArtist},     {"quality", &COvDisc::m_strQuality},
    {"notes", &COvDisc::m_strNotes},       {"location", &COvDisc::m_strLocation},
    {"savedAt", &COvDisc::m_strSavedAt},   {"lendDate", &COvDisc::m_strLendDate},
    {"folderTree", &COvDisc::m_strFolderTree},
};

struct FileText {
    const char* key;
    OvString COvFileData::*member;
};
constexpr FileText kFileTexts[] = {
    {"fileName", &COvFileData::m_strFileName}, {"folder", &COvFileData::m_strFolder},
    {"size", &COvFileData::m_strSize},         {"drive", &COvFileData::m_strDrive},
};

// Thrown on the way down a document and caught at the top.
struct JsonShapeError {
    QString message;
};

QString Key(const char* key) { return QString::fromLatin1(key); }

[[noreturn]] void Fail(const QString& where, const QString& what) {
    throw JsonShapeError{where.isEmpty() ? what : where + QStringLiteral(": ") + what};
}

// ---------------------------------------------------------------- catalogue to JSON

QJsonValue Text(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QJsonArray Texts(const std::vector<std::string>& texts) {
    QJsonArray array;
    for (const std::string& text : texts) array.append(Text(text));
    return array;
}

QJsonValue TypedToJson(const CObject* object);

QJsonValue CollectionToJson(const CObject& object) {
    if (const auto* list = dynamic_cast<const CStringList*>(&object)) return Texts(list->m_strings);
    QJsonArray array;
    if (const auto* map = dynamic_cast<const CMapStringToString*>(&object)) {
        for (const auto* entry : map->m_map.InInsertionOrder())
            array.append(QJsonArray{Text(entry->key), Text(entry->value)});
    } else if (const auto* list = dynamic_cast<const CObList*>(&object)) {
        for (const auto& element : list->m_objects) array.append(TypedToJson(element.get()));
    } else if (const auto* map = dynamic_cast<const CMapStringToOb*>(&object)) {
        for (const auto* entry : map->m_map.InInsertionOrder())
            array.append(QJsonArray{Text(entry->key), TypedToJson(entry->value.get())});
    } else {
        Fail({}, QStringLiteral("a %1 among the settings has no JSON form")
                     .arg(QString::fromLatin1(object.GetRuntimeClass()->m_lpszClassName)));
    }
    return array;
}

QJsonValue TypedToJson(const CObject* object) {
    if (!object) return QJsonValue::Null;
    return QJsonObject{{QStringLiteral("type"), QString::fromLatin1(object->GetRuntimeClass()->m_lpszClassName)},
                       {QStringLiteral("value"), CollectionToJson(*object)}};
}

// ISO 8601 in UTC ("2023-04-01T10:00:00Z") while the year has four digits; the seconds since
// 1970 as a number beyond, where ISO 8601 has no common form.
QJsonValue TimeToJson(std::int64_t seconds) {
    const QDateTime time = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    if (time.isValid() && time.date().year() >= 1 && time.date().year() <= 9999)
        return time.toString(Qt::ISODate);
    return static_cast<qint64>(seconds);
}

QJsonObject FileToJson(const COvFileData& file) {
    QJsonObject json;
    for (const FileText& field : kFileTexts) json.insert(Key(field.key), Text(file.*field.member));
    json.insert(QStringLiteral("categories"), Texts(file.m_lstCategories));
    const ov2::FileFacts& facts = file.m_facts;
    if (facts.HasTime()) json.insert(Key("modified"), TimeToJson(facts.modified));
    if (facts.HasFingerprint())
        json.insert(Key("fingerprint"),
                    QStringLiteral("%1").arg(facts.fingerprint, 16, 16, QLatin1Char('0')));
    if (facts.encrypted) json.insert(Key("encrypted"), true);
    return json;
}

// The facts known, or nothing when none is.
std::optional<QJsonObject> DiscFactsToJson(const ov2::DiscFacts& facts) {
    if (facts.IsEmpty()) return std::nullopt;
    QJsonObject json;
    for (const auto& [key, text] : {std::pair{"fileSystem", &facts.fileSystem},
                                    {"label", &facts.label},
                                    {"uuid", &facts.uuid},
                                    {"model", &facts.model},
                                    {"scannedAt", &facts.scannedAt}})
        if (!text->empty()) json.insert(Key(key), Text(*text));
    if (facts.capacity >= 0) json.insert(Key("capacity"), static_cast<qint64>(facts.capacity));
    if (facts.free >= 0) json.insert(Key("free"), static_cast<qint64>(facts.free));
    return json;
}

QJsonObject DiscToJson(const COvDisc& disc) {
    QJsonObject json;
    for (const DiscText& field : kDiscTexts) json.insert(Key(field.key), Text(disc.*field.member));
    json.insert(QStringLiteral("categories"), Texts(disc.m_lstCategories));
    if (const std::optional<QJsonObject> facts = DiscFactsToJson(disc.m_facts))
        json.insert(Key("facts"), *facts);
    QJsonArray files;
    for (const auto& file : disc.m_lstFiles) files.append(FileToJson(*file));
    json.insert(QStringLiteral("files"), files);
    return json;
}

// ---------------------------------------------------------------- JSON to catalogue

QString Member(const QString& where, const QString& key) {
    return where.isEmpty() ? key : where + QLatin1Char('.') + key;
}

QString Element(const QString& where, qsizetype index) {
    return where + QStringLiteral("[%1]").arg(index);
}

// The object with exactly these keys, and any of the optional ones.
QJsonObject ObjectWith(const QJsonValue& value, const QString& where,
                       std::initializer_list<QString> keys,
                       std::initializer_list<QString> optionalKeys = {}) {
    if (!value.isObject()) Fail(where, QStringLiteral("expected an object"));
    QJsonObject object = value.toObject();
    for (const QString& key : keys)
        if (!object.contains(key)) Fail(where, QStringLiteral("the key \"%1\" is missing").arg(key));
    for (auto it = object.begin(); it != object.end(); ++it)
        if (std::find(keys.begin(), keys.end(), it.key()) == keys.end() &&
            std::find(optionalKeys.begin(), optionalKeys.end(), it.key()) == optionalKeys.end())
            Fail(where, QStringLiteral("unknown key \"%1\"").arg(it.key()));
    return object;
}

QJsonArray ArrayAt(const QJsonValue& value, const QString& where) {
    if (!value.isArray()) Fail(where, QStringLiteral("expected an array"));
    return value.toArray();
}

std::string Bytes(const QJsonValue& value, const QString& where) {
    if (!value.isString()) Fail(where, QStringLiteral("expected a text"));
    const QString text = value.toString();
    for (QChar c : text)
        if (c.unicode() > 0xFF)
            Fail(where, QStringLiteral("U+%1 is not a byte: texts hold only U+0000 to U+00FF")
                            .arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper());
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::vector<std::string> ByteList(const QJsonValue& value, const QString& where) {
    const QJsonArray array = ArrayAt(value, where);
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(array.size()));
    for (qsizetype i = 0; i < array.size(); ++i) texts.push_back(Bytes(array[i], Element(where, i)));
    return texts;
}

// Inserts the [key, value] pairs of `value` from the last to the first, so that the map
// writes them in the order of the array.
template <class Map, class MakeValue>
void FillMap(Map& map, const QJsonValue& value, const QString& where, MakeValue makeValue) {
    const QJsonArray array = ArrayAt(value, where);
    for (qsizetype i = array.size() - 1; i >= 0; --i) {
        const QString at = Element(where, i);
        const QJsonArray pair = ArrayAt(array[i], at);
        if (pair.size() != 2) Fail(at, QStringLiteral("expected a [key, value] pair"));
        const std::string key = Bytes(pair[0], Element(at, 0));
        if (map.Lookup(key)) Fail(Element(at, 0), QStringLiteral("the key appears more than once"));
        map.SetAt(key, makeValue(pair[1], Element(at, 1)));
    }
}

std::shared_ptr<CObject> TypedFromJson(const QJsonValue& value, const QString& where);

std::shared_ptr<CObject> CollectionFromJson(const QJsonObject& typed, const QString& where) {
    const QString typeAt = Member(where, QStringLiteral("type"));
    if (!typed.value(QStringLiteral("type")).isString()) Fail(typeAt, QStringLiteral("expected a text"));
    const QString type = typed.value(QStringLiteral("type")).toString();
    const QJsonValue value = typed.value(QStringLiteral("value"));
    const QString at = Member(where, QStringLiteral("value"));
    if (type == QLatin1String("CStringList")) {
        auto list = std::make_shared<CStringList>();
        list->m_strings = ByteList(value, at);
        return list;
    }
    if (type == QLatin1String("CMapStringToString")) {
        auto map = std::make_shared<CMapStringToString>();
        FillMap(map->m_map, value, at, [](const QJsonValue& v, const QString& w) { return Bytes(v, w); });
        return map;
    }
    if (type == QLatin1String("CObList")) {
        auto list = std::make_shared<CObList>();
        const QJsonArray array = ArrayAt(value, at);
        for (qsizetype i = 0; i < array.size(); ++i) list->m_objects.push_back(TypedFromJson(array[i], Element(at, i)));
        return list;
    }
    if (type == QLatin1String("CMapStringToOb")) {
        auto map = std::make_shared<CMapStringToOb>();
        FillMap(map->m_map, value, at, TypedFromJson);
        return map;
    }
    Fail(typeAt, QStringLiteral("unknown type \"%1\"").arg(type));
}

// A typed object or null.
std::shared_ptr<CObject> TypedFromJson(const QJsonValue& value, const QString& where) {
    if (value.isNull()) return nullptr;
    return CollectionFromJson(ObjectWith(value, where, {QStringLiteral("type"), QStringLiteral("value")}), where);
}

// A whole number of 0 or more.
std::int64_t Count(const QJsonValue& value, const QString& where) {
    constexpr qint64 kNone = std::numeric_limits<qint64>::min();
    const qint64 number = value.toInteger(kNone);
    if (!value.isDouble() || number < 0)
        Fail(where, QStringLiteral("expected a whole number of 0 or more"));
    return number;
}

// An ISO 8601 time with its zone, in whole seconds.
QDateTime IsoTime(const QString& text, const QString& where) {
    const QDateTime time = QDateTime::fromString(text, Qt::ISODate);
    if (!time.isValid()) Fail(where, QStringLiteral("\"%1\" is no ISO 8601 time").arg(text));
    // Without a zone the time would be read in the zone of whoever builds the catalogue.
    if (time.timeSpec() == Qt::LocalTime)
        Fail(where,
             QStringLiteral("\"%1\" gives no zone: end it with Z or an offset such as +01:00")
                 .arg(text));
    return time;
}

// "2023-04-01T10:00:00Z" (any zone) or the seconds since 1970 as a number.
std::int64_t TimeFromJson(const QJsonValue& value, const QString& where) {
    std::int64_t seconds = 0;
    if (value.isString()) {
        const QDateTime time = IsoTime(value.toString(), where);
        if (time.toMSecsSinceEpoch() % 1000 != 0)
            Fail(where, QStringLiteral("a time is kept in whole seconds"));
        seconds = time.toSecsSinceEpoch();
    } else if (value.isDouble()) {
        constexpr qint64 kNone = std::numeric_limits<qint64>::min();
        seconds = value.toInteger(kNone);
        if (seconds == kNone) Fail(where, QStringLiteral("expected whole seconds since 1970"));
    } else {
        Fail(where, QStringLiteral("expected an ISO 8601 time or seconds since 1970"));
    }
    if (seconds <= ov2::FileFacts::kNoTime || seconds >= -ov2::FileFacts::kNoTime)
        Fail(where, QStringLiteral("the time is out of range"));
    return seconds;
}

std::uint64_t FingerprintFromJson(const QJsonValue& value, const QString& where) {
    static const QRegularExpression kHex(QStringLiteral("^[0-9A-Fa-f]{16}$"));
    if (!value.isString() || !kHex.match(value.toString()).hasMatch())
        Fail(where, QStringLiteral("expected 16 hexadecimal digits"));
    const std::uint64_t fingerprint = value.toString().toULongLong(nullptr, 16);
    if (fingerprint == 0)
        Fail(where, QStringLiteral("0 stands for no fingerprint: leave the key out"));
    return fingerprint;
}

std::shared_ptr<COvFileData> FileFromJson(const QJsonValue& value, const QString& where) {
    const QJsonObject json =
        ObjectWith(value, where,
                   {Key("fileName"), Key("folder"), Key("size"), Key("drive"), Key("categories")},
                   {Key("modified"), Key("fingerprint"), Key("encrypted")});
    auto file = std::make_shared<COvFileData>();
    for (const FileText& field : kFileTexts)
        (*file).*field.member = Bytes(json.value(Key(field.key)), Member(where, Key(field.key)));
    file->m_lstCategories = ByteList(json.value(Key("categories")), Member(where, Key("categories")));
    ov2::FileFacts& facts = file->m_facts;
    if (json.contains(Key("modified")))
        facts.modified = TimeFromJson(json.value(Key("modified")), Member(where, Key("modified")));
    if (json.contains(Key("fingerprint")))
        facts.fingerprint =
            FingerprintFromJson(json.value(Key("fingerprint")), Member(where, Key("fingerprint")));
    if (json.contains(Key("encrypted"))) {
        const QJsonValue encrypted = json.value(Key("encrypted"));
        if (!encrypted.isBool())
            Fail(Member(where, Key("encrypted")), QStringLiteral("expected true or false"));
        facts.encrypted = encrypted.toBool();
    }
    return file;
}

ov2::DiscFacts DiscFactsFromJson(const QJsonValue& value, const QString& where) {
    const QJsonObject json = ObjectWith(value, where, {},
                                        {Key("fileSystem"), Key("label"), Key("uuid"), Key("model"),
                                         Key("capacity"), Key("free"), Key("scannedAt")});
    ov2::DiscFacts facts;
    for (const auto& [key, text] : {std::pair{"fileSystem", &facts.fileSystem},
                                    {"label", &facts.label},
                                    {"uuid", &facts.uuid},
                                    {"model", &facts.model},
                                    {"scannedAt", &facts.scannedAt}})
        if (json.contains(Key(key))) *text = Bytes(json.value(Key(key)), Member(where, Key(key)));
    for (const auto& [key, number] :
         {std::pair{"capacity", &facts.capacity}, {"free", &facts.free}})
        if (json.contains(Key(key))) *number = Count(json.value(Key(key)), Member(where, Key(key)));
    if (!facts.scannedAt.empty())
        IsoTime(QString::fromStdString(facts.scannedAt), Member(where, Key("scannedAt")));
    return facts;
}

std::shared_ptr<COvDisc> DiscFromJson(const QJsonValue& value, const QString& where) {
    const QJsonObject json = ObjectWith(
        value, where,
        {Key("number"), Key("name"), Key("artist"), Key("quality"), Key("notes"), Key("location"),
         Key("savedAt"), Key("lendDate"), Key("folderTree"), Key("categories"), Key("files")},
        {Key("facts")});
    auto disc = std::make_shared<COvDisc>();
    for (const DiscText& field : kDiscTexts)
        (*disc).*field.member = Bytes(json.value(Key(field.key)), Member(where, Key(field.key)));
    disc->m_lstCategories = ByteList(json.value(Key("categories")), Member(where, Key("categories")));
    if (json.contains(Key("facts")))
        disc->m_facts = DiscFactsFromJson(json.value(Key("facts")), Member(where, Key("facts")));
    const QString filesAt = Member(where, Key("files"));
    const QJsonArray files = ArrayAt(json.value(Key("files")), filesAt);
    for (qsizetype i = 0; i < files.size(); ++i) disc->m_lstFiles.push_back(FileFromJson(files[i], Element(filesAt, i)));
    return disc;
}

}  // namespace

bool CatalogueToJson(const COvDiscDatabase& database, QJsonObject* json, QString* error) {
    try {
        QJsonArray discs;
        for (const auto& disc : database.m_lstDiscs) discs.append(DiscToJson(*disc));
        QJsonArray settings;
        for (const auto* entry : database.m_pSettings->m_map.InInsertionOrder()) {
            if (!entry->value) Fail(QStringLiteral("settings"), QStringLiteral("an entry without a value"));
            QJsonObject setting = TypedToJson(entry->value.get()).toObject();
            setting.insert(QStringLiteral("key"), Text(entry->key));
            settings.append(setting);
        }
        *json = QJsonObject{{QStringLiteral("discs"), discs},
                            {QStringLiteral("categories"), Texts(database.m_pCategories->m_strings)},
                            {QStringLiteral("settings"), settings}};
        return true;
    } catch (const JsonShapeError& e) {
        if (error) *error = e.message;
        return false;
    }
}

bool CatalogueFromJson(const QJsonObject& json, COvDiscDatabase& database, QString* error) {
    try {
        ObjectWith(json, {}, {Key("discs"), Key("categories"), Key("settings")});
        const QJsonArray discs = ArrayAt(json.value(Key("discs")), Key("discs"));
        for (qsizetype i = 0; i < discs.size(); ++i)
            database.AddTail(DiscFromJson(discs[i], Element(Key("discs"), i)));
        database.m_pCategories->m_strings = ByteList(json.value(Key("categories")), Key("categories"));

        const QJsonArray settings = ArrayAt(json.value(Key("settings")), Key("settings"));
        for (qsizetype i = settings.size() - 1; i >= 0; --i) {
            const QString at = Element(Key("settings"), i);
            const QJsonObject entry = ObjectWith(settings[i], at, {Key("key"), Key("type"), Key("value")});
            const std::string key = Bytes(entry.value(Key("key")), Member(at, Key("key")));
            if (database.m_pSettings->m_map.Lookup(key)) Fail(Member(at, Key("key")), QStringLiteral("the key appears more than once"));
            database.m_pSettings->m_map.SetAt(key, CollectionFromJson(entry, at));
        }
        return true;
    } catch (const JsonShapeError& e) {
        if (error) *error = e.message;
        return false;
    }
}
