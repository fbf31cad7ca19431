#include "core/file_facts.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "core/disc_database.h"
#include "core/ov_disc.h"
#include "core/string_list.h"

namespace ov2 {

namespace {

constexpr std::string_view kLayout = "1";
constexpr std::size_t kFields = 12;

constexpr std::string_view kBase64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Appends the base64 of `bytes` to `out`.
void AppendBase64(std::string_view bytes, std::string& out) {
    const std::size_t start = out.size();
    out.resize(start + (bytes.size() + 2) / 3 * 4);
    char* to = out.data() + start;
    const auto* from = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const std::uint32_t v = static_cast<std::uint32_t>(from[i]) << 16 | static_cast<std::uint32_t>(from[i + 1]) << 8 | from[i + 2];
        *to++ = kBase64[v >> 18];
        *to++ = kBase64[(v >> 12) & 63];
        *to++ = kBase64[(v >> 6) & 63];
        *to++ = kBase64[v & 63];
    }
    if (const std::size_t left = bytes.size() - i; left > 0) {
        std::uint32_t v = static_cast<std::uint32_t>(from[i]) << 16;
        if (left == 2) v |= static_cast<std::uint32_t>(from[i + 1]) << 8;
        *to++ = kBase64[v >> 18];
        *to++ = kBase64[(v >> 12) & 63];
        *to++ = left == 2 ? kBase64[(v >> 6) & 63] : '=';
        *to++ = '=';
    }
}

char* PutVarint(char* to, std::uint64_t v) {
    while (v >= 0x80) {
        *to++ = static_cast<char>((v & 0x7F) | 0x80);
        v >>= 7;
    }
    *to++ = static_cast<char>(v);
    return to;
}

// Decodes base64 into `out`, which keeps its room from disc to disc; false on malformed text.
bool FromBase64(std::string_view text, std::string& out) {
    static const std::array<std::int8_t, 256> values = [] {
        std::array<std::int8_t, 256> table{};
        table.fill(-1);
        for (std::size_t i = 0; i < kBase64.size(); ++i) table[static_cast<std::uint8_t>(kBase64[i])] = static_cast<std::int8_t>(i);
        return table;
    }();
    out.clear();
    if (text.size() % 4 != 0) return false;
    std::size_t padding = 0;
    while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=') ++padding;
    const std::size_t full = (text.size() - padding) / 4 * 4;  // characters of whole groups
    out.resize(full / 4 * 3);
    char* to = out.data();
    for (std::size_t i = 0; i < full; i += 4) {
        const auto at = [&](std::size_t k) { return values[static_cast<std::uint8_t>(text[i + k])]; };
        const std::int8_t a = at(0), b = at(1), c = at(2), d = at(3);
        if ((a | b | c | d) < 0) return false;
        const std::uint32_t v = static_cast<std::uint32_t>(a) << 18 | static_cast<std::uint32_t>(b) << 12 |
                                static_cast<std::uint32_t>(c) << 6 | static_cast<std::uint32_t>(d);
        *to++ = static_cast<char>(v >> 16);
        *to++ = static_cast<char>(v >> 8);
        *to++ = static_cast<char>(v);
    }
    if (padding > 0) {
        std::uint32_t v = 0;
        for (std::size_t k = full; k < text.size() - padding; ++k) {
            const std::int8_t value = values[static_cast<std::uint8_t>(text[k])];
            if (value < 0) return false;
            v = v << 6 | static_cast<std::uint32_t>(value);
        }
        if (padding == 1) {
            out += static_cast<char>(v >> 10);
            out += static_cast<char>(v >> 2);
        } else {
            out += static_cast<char>(v >> 4);
        }
    }
    return true;
}

class Reader {
public:
    explicit Reader(std::string_view bytes) : m_at(bytes.data()), m_end(bytes.data() + bytes.size()) {}
    std::optional<std::uint64_t> Varint() {
        std::uint64_t v = 0;
        for (int shift = 0; shift < 64 && m_at < m_end; shift += 7) {
            const auto byte = static_cast<std::uint8_t>(*m_at++);
            v |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
            if (!(byte & 0x80)) return v;
        }
        return std::nullopt;
    }
    std::optional<std::uint64_t> Fixed64() {
        if (m_end - m_at < 8) return std::nullopt;
        std::uint64_t v = 0;
        for (int i = 7; i >= 0; --i) v = v << 8 | static_cast<std::uint8_t>(m_at[i]);
        m_at += 8;
        return v;
    }
    bool AtEnd() const { return m_at == m_end; }

private:
    const char* m_at;
    const char* m_end;
};

std::uint64_t ZigZag(std::int64_t v) { return (static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63); }
std::int64_t UnZigZag(std::uint64_t v) { return static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1); }

constexpr std::uint64_t kTime = 1, kFingerprint = 2, kEncrypted = 4;  // the flags of an entry

// Reads a record's entry; false when the bytes do not hold one. `previous` is the last time
// read.
bool ReadEntry(Reader& reader, std::int64_t& previous, FileFacts& facts) {
    facts = FileFacts();
    const std::optional<std::uint64_t> flags = reader.Varint();
    if (!flags || *flags > (kTime | kFingerprint | kEncrypted)) return false;
    if (*flags & kTime) {
        const std::optional<std::uint64_t> delta = reader.Varint();
        if (!delta) return false;
        const auto time = static_cast<std::int64_t>(static_cast<std::uint64_t>(previous) +
                                                    static_cast<std::uint64_t>(UnZigZag(*delta)));
        if (time <= FileFacts::kNoTime || time >= -FileFacts::kNoTime) return false;
        facts.modified = previous = time;
    }
    if (*flags & kFingerprint) {
        const std::optional<std::uint64_t> fingerprint = reader.Fixed64();
        if (!fingerprint || *fingerprint == 0) return false;
        facts.fingerprint = *fingerprint;
    }
    facts.encrypted = (*flags & kEncrypted) != 0;
    return true;
}

// A disc's records' checksum, taken record by record. The records' texts, each behind a mark
// and its length, go through a buffer into one streaming hash. Consecutive files mostly share
// their folder and drive: those are taken only where they change, so little more than the
// names and sizes is hashed.
class CRecordsChecksum {
public:
    explicit CRecordsChecksum(std::size_t count) {
        XXH3_INITSTATE(&m_state);
        XXH3_64bits_reset_withSeed(&m_state, count);
    }
    void Add(const COvFileData& file) {
        const auto same = [](std::string_view a, std::string_view b) {
            return a.size() == b.size() && (a.data() == b.data() || a == b);
        };
        if (!m_previous || !same(file.m_strFolder, m_previous->m_strFolder)) Text('F', file.m_strFolder);
        if (!m_previous || !same(file.m_strDrive, m_previous->m_strDrive)) Text('D', file.m_strDrive);
        Text('N', file.m_strFileName);
        Text('S', file.m_strSize);
        m_previous = &file;
    }
    std::uint64_t Digest() {
        XXH3_64bits_update(&m_state, m_buffer, m_used);
        m_used = 0;
        return XXH3_64bits_digest(&m_state);
    }

private:
    void Text(char mark, std::string_view value) {
        const auto size = static_cast<std::uint32_t>(value.size());
        const char head[5] = {mark, static_cast<char>(size), static_cast<char>(size >> 8),
                              static_cast<char>(size >> 16), static_cast<char>(size >> 24)};
        if (m_used + sizeof head + value.size() > sizeof m_buffer) {
            XXH3_64bits_update(&m_state, m_buffer, m_used);
            m_used = 0;
            if (sizeof head + value.size() > sizeof m_buffer) {  // a text longer than the buffer
                XXH3_64bits_update(&m_state, head, sizeof head);
                XXH3_64bits_update(&m_state, value.data(), value.size());
                return;
            }
        }
        std::memcpy(m_buffer + m_used, head, sizeof head);
        std::memcpy(m_buffer + m_used + sizeof head, value.data(), value.size());
        m_used += sizeof head + value.size();
    }

    XXH3_state_t m_state;
    char m_buffer[4096];
    std::size_t m_used = 0;
    const COvFileData* m_previous = nullptr;
};

// Asks for a record and its name well ahead of their use: after a load of a million records,
// a pass over them mostly waits for memory.
void PrefetchRecord(const std::vector<std::shared_ptr<COvFileData>>& files, std::size_t i) {
    if (i + 16 < files.size()) __builtin_prefetch(files[i + 16].get(), 1);
    if (i + 8 < files.size()) files[i + 8]->m_strFileName.Prefetch();
}

// A text field: the separators of the layout cannot occur in it.
std::string Field(std::string_view text) {
    std::string field(text);
    for (char& c : field)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return field;
}

std::string NumberField(std::int64_t value) { return value < 0 ? std::string() : std::to_string(value); }

std::optional<std::int64_t> ParseNumberField(std::string_view text) {
    if (text.empty()) return -1;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

std::vector<std::string_view> SplitTabs(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = text.find('\t', start)) != std::string_view::npos; start = tab + 1)
        fields.push_back(text.substr(start, tab - start));
    fields.push_back(text.substr(start));
    return fields;
}

// `bytes` is room for the decoded entries, kept from disc to disc.
void Unpack(COvDiscDatabase& database, std::string_view text, std::string& bytes) {
    const std::vector<std::string_view> fields = SplitTabs(text);
    if (fields.size() != kFields || fields[2] != kLayout) return;
    COvDisc* disc = database.FindDisc(fields[0]);
    if (!disc) return;
    std::uint64_t checksum = 0;
    std::size_t count = 0;
    if (fields[1].size() != 16 ||
        std::from_chars(fields[1].data(), fields[1].data() + 16, checksum, 16).ptr != fields[1].data() + 16 ||
        std::from_chars(fields[3].data(), fields[3].data() + fields[3].size(), count).ptr !=
            fields[3].data() + fields[3].size() ||
        count != disc->m_lstFiles.size())
        return;
    const std::optional<std::int64_t> capacity = ParseNumberField(fields[8]);
    const std::optional<std::int64_t> free = ParseNumberField(fields[9]);
    if (!capacity || !free || !FromBase64(fields[11], bytes) || bytes.size() < count) return;
    // One pass over the records both checks them and gives them their facts; facts given to
    // records that turn out not to match are taken back.
    const auto& files = disc->m_lstFiles;
    CRecordsChecksum sum(count);
    Reader reader(bytes);
    std::int64_t previous = 0;
    bool read = true;
    for (std::size_t i = 0; i < count; ++i) {
        PrefetchRecord(files, i);
        sum.Add(*files[i]);
        read = read && ReadEntry(reader, previous, files[i]->m_facts);
    }
    if (!read || !reader.AtEnd() || sum.Digest() != checksum) {
        for (const auto& file : files) file->m_facts = FileFacts();
        return;
    }
    disc->m_facts = DiscFacts{std::string(fields[4]), std::string(fields[5]), std::string(fields[6]),
                              std::string(fields[7]), *capacity,          *free,
                              std::string(fields[10])};
}

}  // namespace

bool DiscFacts::IsEmpty() const {
    return fileSystem.empty() && label.empty() && uuid.empty() && model.empty() && capacity < 0 &&
           free < 0 && scannedAt.empty();
}

std::string BinarySizeText(std::int64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    static constexpr const char* kUnits[] = {"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    double value = static_cast<double>(bytes) / 1024;
    std::size_t unit = 0;
    // 1023.95 MiB would print as "1024.0 MiB": it goes up a unit instead.
    while (value >= 1023.95 && unit + 1 < std::size(kUnits)) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return text;
}

std::string DiscFacts::Summary() const {
    std::string summary;
    const auto add = [&summary](const std::string& part) {
        if (part.empty()) return;
        if (!summary.empty()) summary += ", ";
        summary += part;
    };
    add(fileSystem);
    if (!label.empty()) add("'" + label + "'");
    if (capacity >= 0) add(BinarySizeText(capacity));
    if (free >= 0) add(BinarySizeText(free) + " free");
    return summary;
}

std::uint64_t RecordsChecksum(const COvDisc& disc) {
    CRecordsChecksum sum(disc.m_lstFiles.size());
    for (std::size_t i = 0; i < disc.m_lstFiles.size(); ++i) {
        PrefetchRecord(disc.m_lstFiles, i);
        sum.Add(*disc.m_lstFiles[i]);
    }
    return sum.Digest();
}

std::optional<std::string> PackFacts(const COvDisc& disc) {
    const auto& files = disc.m_lstFiles;
    std::size_t first = 0;  // the first file with facts: most catalogues have none at all
    while (first < files.size() && files[first]->m_facts.IsEmpty()) ++first;
    if (first == files.size() && disc.m_facts.IsEmpty()) return std::nullopt;

    // The entries and the checksum in one pass over the records. An entry takes at most 19
    // bytes: a flag byte, a time of ten and a fingerprint of eight.
    std::string bytes(files.size() * 19, '\0');
    char* to = bytes.data();
    CRecordsChecksum sum(files.size());
    std::int64_t previous = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        PrefetchRecord(files, i);
        const COvFileData& file = *files[i];
        sum.Add(file);
        const FileFacts& facts = file.m_facts;
        to = PutVarint(to, (facts.HasTime() ? kTime : 0) | (facts.HasFingerprint() ? kFingerprint : 0) |
                               (facts.encrypted ? kEncrypted : 0));
        if (facts.HasTime()) {
            to = PutVarint(to, ZigZag(facts.modified - previous));
            previous = facts.modified;
        }
        if (facts.HasFingerprint())
            for (int k = 0; k < 8; ++k) *to++ = static_cast<char>(facts.fingerprint >> (8 * k));
    }
    bytes.resize(static_cast<std::size_t>(to - bytes.data()));

    const DiscFacts& facts = disc.m_facts;
    char checksum[17];
    std::snprintf(checksum, sizeof checksum, "%016llx", static_cast<unsigned long long>(sum.Digest()));
    std::string text;
    text.reserve(256 + bytes.size() / 3 * 4);
    for (const std::string& field :
         {Field(disc.m_strNumber), std::string(checksum), std::string(kLayout), std::to_string(files.size()),
          Field(facts.fileSystem), Field(facts.label), Field(facts.uuid), Field(facts.model),
          NumberField(facts.capacity), NumberField(facts.free), Field(facts.scannedAt)})
        text.append(field).append("\t");
    AppendBase64(bytes, text);
    return text;
}

void UnpackFacts(COvDiscDatabase& database) {
    if (std::shared_ptr<CObject>* entry = database.m_pSettings->m_map.Lookup(kFileFactsKey)) {
        const std::shared_ptr<CObject> value = std::move(*entry);
        database.m_pSettings->m_map.RemoveKey(kFileFactsKey);
        std::string bytes;
        if (auto* list = dynamic_cast<CStringList*>(value.get()))
            for (std::string& text : list->m_strings) {
                Unpack(database, text, bytes);
                std::string().swap(text);  // a million records' facts are some 15 MB of text
            }
    }
}

}  // namespace ov2
