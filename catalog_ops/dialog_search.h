#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

#include "catalog_ops/catalogue_search.h"
#include "catalog_ops/list_sort.h"

class COv2Doc;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QTreeWidget;

// A search result window: the discs or files that one search found, beside the categories it
// asked for. Windows are modeless and several may be open at once; each keeps its own copy of
// the parameters and criteria, so editing the pattern here or changing the selection in the
// categories panel touches no other window. Rows are not refreshed when the catalogue changes;
// "Search" runs the search again on the catalogue as it is then.
class CDialogSearch final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHitRole = Qt::UserRole + 1;  // int: the row's place in m_hits

    // parameters: the pattern, "names" or "files", then "all" or "byCat". categories: the
    // criteria of a "byCat" search.
    CDialogSearch(COv2Doc* doc, std::vector<std::string> parameters,
                  std::vector<std::string> categories, QWidget* parent = nullptr);

    // The window's copies; an edited pattern goes into the first parameter.
    std::vector<std::string> m_lstParameters;
    std::vector<std::string> m_lstCategories;
    int m_nResultKind = 0;               // 1 files, 2 discs; set by the first fill
    std::string m_strLastVisited = "0";  // the disc "Go to CD/File" went to last

    void OnButtonSearch();
    // Removes the selected criteria; the rows change at the next "Search".
    void OnSearchDelete();
    // Opens the found file from the drive that holds its disc, asking for the disc until it is
    // there or the user cancels.
    void OnSearchOpen();
    // Selects the found disc, or the found file's folder and the file, in the main window.
    void OnSearchGoto();
    // The rows as last filled, for File > Export...
    const std::vector<ov2::SearchHit>& Hits() const { return m_hits; }

private:
    void LoadParameters();
    void Fill();
    void FillCriteria();
    void SetUpColumns();
    // The hit of the row at the selection mark while its records are still in the catalogue.
    const ov2::SearchHit* CurrentHit() const;
    void OnResultContextMenu(const QPoint& pos);
    void OnCriteriaContextMenu(const QPoint& pos);

    COv2Doc* m_pDocument;
    QString m_strPattern;
    std::string m_strMode;
    std::string m_strScope;
    std::vector<ov2::SearchHit> m_hits;
    bool m_bColumnsSet = false;

    QLabel* m_labelMode = nullptr;
    QLineEdit* m_editPattern = nullptr;
    QTreeWidget* m_listResult = nullptr;
    QTreeWidget* m_listCriteria = nullptr;
    QLabel* m_labelFound = nullptr;
    QMenu* m_menuResult = nullptr;
    QAction* m_actionOpen = nullptr;
    QMenu* m_menuCriteria = nullptr;
    ov2::CListSortState m_resultSort;
    ov2::CListSortState m_criteriaSort;
};
