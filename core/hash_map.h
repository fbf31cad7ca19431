#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

// A string-keyed map whose iteration order is the order catalogue files store map entries in:
// 17 buckets in ascending order, and within a bucket the most recently inserted key first.
// Writing a map walks this order, so a catalogue written twice gives the same bytes.
template <class Value>
class OvHashMap {
public:
    static constexpr std::uint32_t kBuckets = 17;

    struct Entry {
        std::string key;
        Value value;
        std::uint64_t inserted;  // insertion sequence, for the order entries arrived in
    };

    // h = h * 33 + c over the key's bytes taken as signed 8-bit values, in 32-bit arithmetic.
    static std::uint32_t Bucket(std::string_view key) {
        std::uint32_t h = 0;
        for (char c : key) h = h * 33u + static_cast<std::uint32_t>(static_cast<std::int8_t>(c));
        return h % kBuckets;
    }

    std::size_t GetCount() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }

    Value* Lookup(std::string_view key) {
        return const_cast<Value*>(std::as_const(*this).Lookup(key));
    }
    const Value* Lookup(std::string_view key) const {
        auto it = m_index.find(key);
        if (it == m_index.end()) return nullptr;
        return &m_buckets[Bucket(key)][it->second].value;
    }

    // A new key goes first in its bucket; a key already present keeps its place and takes the
    // new value.
    void SetAt(std::string_view key, Value value) {
        if (Value* existing = Lookup(key)) {
            *existing = std::move(value);
            return;
        }
        if (m_buckets.empty()) m_buckets.resize(kBuckets);
        auto& bucket = m_buckets[Bucket(key)];
        m_index.emplace(std::string(key), bucket.size());
        bucket.push_back(Entry{std::string(key), std::move(value), m_nextSequence++});
        ++m_count;
    }

    bool RemoveKey(std::string_view key) {
        auto it = m_index.find(key);
        if (it == m_index.end()) return false;
        auto& bucket = m_buckets[Bucket(key)];
        const std::size_t at = it->second;
        m_index.erase(it);
        bucket.erase(bucket.begin() + static_cast<std::ptrdiff_t>(at));
        for (std::size_t i = at; i < bucket.size(); ++i) m_index[bucket[i].key] = i;
        --m_count;
        return true;
    }

    void RemoveAll() {
        m_buckets.clear();
        m_index.clear();
        m_count = 0;
    }

    // Calls f(key, value) for every entry in the stored order.
    template <class F>
    void ForEach(F&& f) const {
        for (const auto& bucket : m_buckets)
            for (auto e = bucket.rbegin(); e != bucket.rend(); ++e) f(e->key, e->value);
    }

    // The entries in the order their keys were first inserted.
    std::vector<const Entry*> InInsertionOrder() const {
        std::vector<const Entry*> entries;
        entries.reserve(m_count);
        for (const auto& bucket : m_buckets)
            for (const Entry& e : bucket) entries.push_back(&e);
        std::sort(entries.begin(), entries.end(),
                  [](const Entry* a, const Entry* b) { return a->inserted < b->inserted; });
        return entries;
    }

private:
    std::vector<std::vector<Entry>> m_buckets;  // allocated with the first entry
    // Key to position in its bucket, so that a file with many keys in one bucket reads in
    // linear time. Buckets keep their newest entry last and are walked backwards.
    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
    };
    std::unordered_map<std::string, std::size_t, KeyHash, std::equal_to<>> m_index;
    std::size_t m_count = 0;
    std::uint64_t m_nextSequence = 0;
};
