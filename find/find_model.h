#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace ov2::find {

struct FindResults;
struct Hit;
class CCatalogueIndex;

// Find's results as a table: Name, Folder, Size, Disc (number and name), Catalogue. Rows are
// made when the view asks for them, from the hits and the records the catalogues' indexes
// share, so that half a million results appear as fast as fifty. Sorting orders the rows and
// stays with the next results.
class CFindModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        kColumnName,
        kColumnFolder,
        kColumnSize,
        kColumnDisc,
        kColumnCatalogue,
        kColumnCount
    };

    explicit CFindModel(QObject* parent = nullptr);
    ~CFindModel() override;

    void SetResults(std::shared_ptr<const FindResults> results);
    // The icon of a file's row, by its name (the window gives the desktop's icons by type).
    std::function<QVariant(std::string_view fileName)> m_fileIcon;
    std::function<QVariant()> m_folderIcon;
    const std::shared_ptr<const FindResults>& Results() const { return m_results; }
    // The hit of a row, and the index it came from; none for a row out of range.
    const Hit* HitAt(int row) const;
    const CCatalogueIndex* IndexAt(int row) const;
    // The recorded path of the row's file ("e:\music\rock\a.mp3") or folder, decoded.
    QString PathText(int row) const;
    // "12,345 files on 87 discs in 3 catalogues"; empty without results.
    QString CountText() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

private:
    QString Text(int row, int column) const;
    void ApplySort();

    std::shared_ptr<const FindResults> m_results;
    std::vector<std::uint32_t> m_rows;  // the hits in the order shown
    int m_nSortColumn = -1;             // catalogue order until a header is clicked
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

}  // namespace ov2::find
