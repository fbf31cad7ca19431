#include "find/find_model.h"

#include <QLocale>
#include <QMimeData>
#include <algorithm>
#include <charconv>
#include <numeric>

#include "core/ov_disc.h"
#include "find/find_index.h"
#include "find/find_session.h"
#include "platform/text.h"

namespace ov2::find {

namespace {

QString Grouped(long long number) {
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    return english.toString(number);
}

// A size as the catalogue stores it: a decimal number of bytes. An old catalogue's negative
// size (the low 32 bits of a file of 2 GiB or more) is shown as stored.
std::optional<long long> StoredSize(std::string_view text) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

QString Counted(std::size_t count, const char* one, const char* many) {
    return Grouped(static_cast<long long>(count)) + QLatin1Char(' ') +
           QString::fromLatin1(count == 1 ? one : many);
}

// The part of a folder path after its last "\" ("music\rock" → "rock"), and the part before.
std::pair<std::string_view, std::string_view> SplitLast(std::string_view path) {
    const auto slash = path.rfind('\\');
    if (slash == std::string_view::npos) return {{}, path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

}  // namespace

CFindModel::CFindModel(QObject* parent) : QAbstractTableModel(parent) {}

CFindModel::~CFindModel() = default;

void CFindModel::SetResults(std::shared_ptr<const FindResults> results) {
    beginResetModel();
    m_results = std::move(results);
    m_rows.resize(m_results ? m_results->outcome.hits.size() : 0);
    std::iota(m_rows.begin(), m_rows.end(), 0u);
    ApplySort();
    endResetModel();
}

const Hit* CFindModel::HitAt(int row) const {
    if (!m_results || row < 0 || static_cast<std::size_t>(row) >= m_rows.size()) return nullptr;
    return &m_results->outcome.hits[m_rows[static_cast<std::size_t>(row)]];
}

const CCatalogueIndex* CFindModel::IndexAt(int row) const {
    const Hit* hit = HitAt(row);
    if (!hit || hit->catalogue >= m_results->catalogues.size()) return nullptr;
    return m_results->catalogues[hit->catalogue].get();
}

QString CFindModel::PathText(int row) const {
    const Hit* hit = HitAt(row);
    const CCatalogueIndex* index = IndexAt(row);
    if (!hit || !index) return {};
    if (m_results->outcome.folders) return ov2::DecodeText(index->FolderPath(hit->disc, hit->item));
    const auto file = index->File(hit->disc, hit->item);
    if (!file) return {};
    return ov2::DecodeText(file->m_strFolder.str() + file->m_strFileName.str());
}

QString CFindModel::CountText() const {
    if (!m_results) return {};
    const Outcome& outcome = m_results->outcome;
    const std::size_t count = outcome.hits.size();
    return (outcome.folders ? Counted(count, "folder", "folders")
                            : Counted(count, "file", "files")) +
           QStringLiteral(" on ") + Counted(outcome.discs, "disc", "discs") +
           QStringLiteral(" in ") + Counted(outcome.catalogues, "catalogue", "catalogues");
}

int CFindModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CFindModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QString CFindModel::Text(int row, int column) const {
    const Hit* hit = HitAt(row);
    const CCatalogueIndex* index = IndexAt(row);
    if (!hit || !index) return {};
    if (column == kColumnCatalogue) return ov2::DecodeText(index->Label());
    if (column == kColumnDisc) {
        const auto& disc = index->Disc(hit->disc);
        return disc ? ov2::DecodeText(disc->m_strNumber.str() + ' ' + disc->m_strName.str())
                    : QString();
    }
    if (m_results->outcome.folders) {
        const std::string path = index->FolderPath(hit->disc, hit->item);
        const auto [parent, name] = SplitLast(path);
        if (column == kColumnName) return ov2::DecodeText(name);
        if (column == kColumnFolder) return ov2::DecodeText(parent);
        return {};
    }
    const auto file = index->File(hit->disc, hit->item);
    if (!file) return {};
    switch (column) {
        case kColumnName:
            return ov2::DecodeText(file->m_strFileName);
        case kColumnFolder:
            return ov2::DecodeText(file->m_strFolder);
        case kColumnSize: {
            const auto size = StoredSize(file->m_strSize);
            return size ? Grouped(*size) : ov2::DecodeText(file->m_strSize);
        }
        default:
            return {};
    }
}

QVariant CFindModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        if (role == Qt::ToolTipRole && index.column() != kColumnFolder) return {};
        return Text(index.row(), index.column());
    }
    if (role == Qt::DecorationRole && index.column() == kColumnName) {
        if (m_results && m_results->outcome.folders)
            return m_folderIcon ? m_folderIcon() : QVariant();
        const Hit* hit = HitAt(index.row());
        const CCatalogueIndex* catalogue = IndexAt(index.row());
        const auto file = hit && catalogue ? catalogue->File(hit->disc, hit->item) : nullptr;
        return file && m_fileIcon ? m_fileIcon(file->m_strFileName) : QVariant();
    }
    if (role == Qt::TextAlignmentRole && index.column() == kColumnSize)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    return {};
}

QVariant CFindModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const kTitles[kColumnCount] = {"Name", "Folder", "Size", "Disc",
                                                      "Catalogue"};
    return section >= 0 && section < kColumnCount ? QString::fromLatin1(kTitles[section])
                                                  : QVariant();
}

Qt::ItemFlags CFindModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
}

void CFindModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= kColumnCount) return;
    m_nSortColumn = column;
    m_sortOrder = order;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::uint32_t> hitsBefore;
    for (const QModelIndex& index : before)
        hitsBefore.push_back(m_rows[static_cast<std::size_t>(index.row())]);
    ApplySort();
    // Selected and current rows follow their hits to their new places.
    std::vector<int> placeOf(m_rows.size());
    for (std::size_t row = 0; row < m_rows.size(); ++row)
        placeOf[m_rows[row]] = static_cast<int>(row);
    QModelIndexList after;
    for (qsizetype i = 0; i < before.size(); ++i)
        after << createIndex(placeOf[hitsBefore[static_cast<std::size_t>(i)]], before[i].column());
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CFindModel::ApplySort() {
    std::sort(m_rows.begin(), m_rows.end());  // catalogue order breaks ties
    if (m_nSortColumn < 0 || m_rows.size() < 2) return;
    const int column = m_nSortColumn;
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    // One key per row, made once: comparing decoded texts row against row would decode each
    // name some twenty times.
    std::vector<std::uint32_t> byHit = m_rows;
    if (column == kColumnSize || column == kColumnDisc) {
        std::vector<std::pair<long long, QString>> keys(byHit.size());
        for (std::size_t i = 0; i < byHit.size(); ++i) {
            const int row = static_cast<int>(i);
            if (column == kColumnSize) {
                const CCatalogueIndex* index = IndexAt(row);
                const Hit* hit = HitAt(row);
                const auto file = index && !m_results->outcome.folders
                                      ? index->File(hit->disc, hit->item)
                                      : nullptr;
                keys[i].first = file ? StoredSize(file->m_strSize).value_or(0) : 0;
            } else {
                const auto& disc = IndexAt(row)->Disc(HitAt(row)->disc);
                keys[i].first = disc ? StoredSize(disc->m_strNumber).value_or(0) : 0;
                keys[i].second = Text(row, column);
            }
        }
        std::vector<std::uint32_t> order(byHit.size());
        std::iota(order.begin(), order.end(), 0u);
        std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            const auto& ka = keys[descending ? b : a];
            const auto& kb = keys[descending ? a : b];
            if (ka.first != kb.first) return ka.first < kb.first;
            return ka.second.compare(kb.second, Qt::CaseInsensitive) < 0;
        });
        for (std::size_t i = 0; i < order.size(); ++i) m_rows[i] = byHit[order[i]];
        return;
    }
    // Folded once, the keys then compare as plain text, without regard to case. Their first
    // eight characters, a byte each and packed into a number beside the row, settle most
    // comparisons without reaching the texts: packing stops at the first character beyond a
    // byte, which counts as greater than any byte, so that equal numbers leave the order to
    // the texts.
    struct Key {
        std::uint64_t prefix;
        std::uint32_t row;
    };
    std::vector<QString> texts(byHit.size());
    std::vector<Key> keys(byHit.size());
    for (std::size_t i = 0; i < byHit.size(); ++i) {
        texts[i] = Text(static_cast<int>(i), column).toCaseFolded();
        std::uint64_t prefix = 0;
        bool packing = true;
        for (qsizetype c = 0; c < 8; ++c) {
            const char16_t ch = packing && c < texts[i].size() ? texts[i][c].unicode() : 0;
            packing = packing && ch < 0xFF;
            prefix = prefix << 8 | std::min<std::uint64_t>(ch, 0xFF);
        }
        keys[i] = {prefix, static_cast<std::uint32_t>(i)};
    }
    // Equal keys keep catalogue order, in either direction.
    std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        if (a.prefix != b.prefix) return descending ? b.prefix < a.prefix : a.prefix < b.prefix;
        const int order = QString::compare(texts[a.row], texts[b.row]);
        if (order != 0) return descending ? order > 0 : order < 0;
        return a.row < b.row;
    });
    std::vector<std::uint32_t> order(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) order[i] = keys[i].row;
    for (std::size_t i = 0; i < order.size(); ++i) m_rows[i] = byHit[order[i]];
}

QStringList CFindModel::mimeTypes() const {
    return {QStringLiteral("text/plain")};
}

QMimeData* CFindModel::mimeData(const QModelIndexList& indexes) const {
    // Each row once, however many of its cells are selected, in the order shown.
    std::vector<int> rows;
    for (const QModelIndex& index : indexes) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QStringList paths;
    for (int row : rows) paths << PathText(row);
    auto* data = new QMimeData;
    data->setText(paths.join(QLatin1Char('\n')));
    return data;
}

}  // namespace ov2::find
