#include "dupes/gui/copies_model.h"

#include "app/ov2_view.h"
#include "core/ov_disc.h"
#include "platform/text.h"

namespace {

// A child row's internal id is its group's place plus one; a top-level row's is 0.
constexpr quintptr kTopLevel = 0;

}  // namespace

CCopiesModel::CCopiesModel(bool grouped, QObject* parent)
    : QAbstractItemModel(parent), m_bGrouped(grouped) {}

void CCopiesModel::SetGroups(std::vector<Group> groups) {
    beginResetModel();
    m_groups = std::move(groups);
    endResetModel();
}

const CCopiesModel::Row* CCopiesModel::RowAt(const QModelIndex& index) const {
    if (!index.isValid()) return nullptr;
    if (index.internalId() == kTopLevel) {
        if (m_bGrouped) return nullptr;
        return &m_groups[static_cast<std::size_t>(index.row())].front();
    }
    return &m_groups[index.internalId() - 1][static_cast<std::size_t>(index.row())];
}

QModelIndex CCopiesModel::index(int row, int column, const QModelIndex& parent) const {
    if (!hasIndex(row, column, parent)) return {};
    if (!parent.isValid()) return createIndex(row, column, kTopLevel);
    return createIndex(row, column, static_cast<quintptr>(parent.row()) + 1);
}

QModelIndex CCopiesModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == kTopLevel) return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, kTopLevel);
}

int CCopiesModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return static_cast<int>(m_groups.size());
    if (!m_bGrouped || parent.internalId() != kTopLevel || parent.column() != 0) return 0;
    return static_cast<int>(m_groups[static_cast<std::size_t>(parent.row())].size());
}

int CCopiesModel::columnCount(const QModelIndex&) const { return m_bGrouped ? 5 : 4; }

QVariant CCopiesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() >= kSize ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    if (role != Qt::DisplayRole) return {};
    if (const Row* row = RowAt(index)) {
        switch (index.column()) {
            case kName: return ov2::DecodeText(row->file->m_strFileName);
            case kFolder: return ov2::DecodeText(row->file->m_strFolder);
            case kDisc:
                return ov2::DecodeText(row->disc->m_strNumber) + QLatin1Char(' ') +
                       ov2::DecodeText(row->disc->m_strName);
            case kSize: return COv2View::SizeText(row->file->m_strSize);
            default: return {};
        }
    }
    const Group& group = m_groups[static_cast<std::size_t>(index.row())];
    switch (index.column()) {
        case kName: return ov2::DecodeText(group.front().file->m_strFileName);
        case kSize: return COv2View::SizeText(group.front().file->m_strSize);
        case kCopies: return static_cast<qulonglong>(group.size());
        default: return {};
    }
}

QVariant CCopiesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const kTitles[] = {"Name", "Folder", "Disc", "Size", "Copies"};
    return section >= 0 && section < columnCount() ? QString::fromLatin1(kTitles[section]) : QVariant();
}
