#pragma once

#include <QAbstractItemModel>
#include <memory>
#include <vector>

class COvDisc;
class COvFileData;

// The rows of the duplicates window for its views: groups of copies with their files below
// them, or a flat list of files. Texts are made when a row is painted, so a list of a million
// single copies costs its references only.
class CCopiesModel final : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { kName, kFolder, kDisc, kSize, kCopies };

    struct Row {
        std::shared_ptr<COvDisc> disc;
        std::shared_ptr<COvFileData> file;
    };
    using Group = std::vector<Row>;

    // `grouped`: rows are groups (name, size, number of copies) with their files as children;
    // otherwise each group holds one file and is shown as that file.
    explicit CCopiesModel(bool grouped, QObject* parent = nullptr);

    void SetGroups(std::vector<Group> groups);
    // The file a row shows; null for a group row.
    const Row* RowAt(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    bool m_bGrouped;
    std::vector<Group> m_groups;
};
