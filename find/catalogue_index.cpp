#include <functional>
#include <thread>
#include <unordered_map>

#include "core/disc_database.h"
#include "find/disc_part.h"
#include "find/find_index.h"

namespace ov2::find {

namespace {
constexpr std::size_t kFilesForTwoThreads = 100'000;
}  // namespace

struct CCatalogueIndex::Data {
    std::string label;
    std::vector<std::shared_ptr<COvDisc>> discs;
    std::vector<std::shared_ptr<const DiscPart>> parts;
    std::size_t files = 0;
    std::size_t reused = 0;
};

CCatalogueIndex::CCatalogueIndex() : m_pData(std::make_unique<Data>()) {}
CCatalogueIndex::~CCatalogueIndex() = default;

// A disc is taken over when its signature (find/disc_part.h) is one of `previous`'s, wherever it
// stands now: a renumbered, moved or copied disc costs nothing either. Any change to its
// number, name, location, outline or to a file's name, size, folder or categories gives it a
// new signature and a new part.
std::shared_ptr<const CCatalogueIndex> CCatalogueIndex::Build(
    const COvDiscDatabase& database, std::string label,
    std::shared_ptr<const CCatalogueIndex> previous) {
    std::shared_ptr<CCatalogueIndex> index(new CCatalogueIndex);
    Data& data = *index->m_pData;
    data.label = std::move(label);
    std::unordered_map<std::uint64_t, std::shared_ptr<const DiscPart>> earlier;
    if (previous)
        for (const auto& part : previous->m_pData->parts) earlier.emplace(part->signature, part);
    data.discs = database.m_lstDiscs;
    data.parts.resize(data.discs.size());
    std::vector<std::size_t> reused(2, 0);
    // Discs [from, to): taken over or built. Without an earlier index the signature is taken
    // while the part is built, in one pass over the records.
    auto build = [&](std::size_t from, std::size_t to, std::size_t& taken) {
        for (std::size_t i = from; i < to; ++i) {
            const COvDisc& disc = *data.discs[i];
            if (earlier.empty()) {
                data.parts[i] = BuildDiscPart(disc, std::nullopt);
                continue;
            }
            const std::uint64_t signature = DiscSignature(disc);
            const auto found = earlier.find(signature);
            if (found != earlier.end() && found->second->FileCount() == disc.m_lstFiles.size()) {
                data.parts[i] = found->second;
                ++taken;
            } else {
                data.parts[i] = BuildDiscPart(disc, signature);
            }
        }
    };
    for (const auto& disc : data.discs) data.files += disc->m_lstFiles.size();
    // A large catalogue is built on two threads, each a half of the files; the records are only
    // read.
    std::size_t half = data.discs.size();
    if (data.files >= kFilesForTwoThreads) {
        std::size_t sum = 0;
        for (half = 0; half < data.discs.size() && 2 * sum < data.files; ++half)
            sum += data.discs[half]->m_lstFiles.size();
    }
    std::thread helper;
    if (half < data.discs.size())
        helper = std::thread(build, half, data.discs.size(), std::ref(reused[1]));
    build(0, half, reused[0]);
    if (helper.joinable()) helper.join();
    data.reused = reused[0] + reused[1];
    return index;
}

const std::string& CCatalogueIndex::Label() const {
    return m_pData->label;
}
std::size_t CCatalogueIndex::DiscCount() const {
    return m_pData->parts.size();
}
std::size_t CCatalogueIndex::FileCount() const {
    return m_pData->files;
}
std::size_t CCatalogueIndex::ReusedDiscCount() const {
    return m_pData->reused;
}

const std::shared_ptr<COvDisc>& CCatalogueIndex::Disc(std::uint32_t disc) const {
    return m_pData->discs.at(disc);
}

const DiscPart& CCatalogueIndex::Part(std::uint32_t disc) const {
    return *m_pData->parts.at(disc);
}

std::shared_ptr<COvFileData> CCatalogueIndex::File(std::uint32_t disc, std::uint32_t item) const {
    const auto& files = m_pData->discs.at(disc)->m_lstFiles;
    return item < files.size() ? files[item] : nullptr;
}

std::string CCatalogueIndex::FolderPath(std::uint32_t disc, std::uint32_t item) const {
    const DiscPart& part = Part(disc);
    return item < part.FolderCount() ? part.FolderPath(item) : std::string();
}

std::size_t CCatalogueIndex::MemoryBytes() const {
    std::size_t bytes = sizeof(*this) + sizeof(Data) + m_pData->label.capacity() +
                        m_pData->discs.capacity() * sizeof(m_pData->discs[0]) +
                        m_pData->parts.capacity() * sizeof(m_pData->parts[0]);
    for (const auto& part : m_pData->parts) bytes += part->MemoryBytes();
    return bytes;
}

}  // namespace ov2::find
