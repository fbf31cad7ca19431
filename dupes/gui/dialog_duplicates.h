#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "core/ov_file_data.h"
#include "dupes/gui/copies_model.h"

class COv2Doc;
class QLabel;
class QLineEdit;
class QMenu;
class QTabWidget;
class QToolButton;
class QTreeView;

// Find Duplicates: the open catalogue's files that have copies on other discs (or on the same
// one), and on the other tab the files that have no copy on another disc. A window beside the
// main window, like a search result; "Find" looks again at the catalogue as it is then.
// Double-clicking a file asks the main window to show it (showFile).
class CDialogDuplicates final : public QDialog {
    Q_OBJECT
public:
    explicit CDialogDuplicates(COv2Doc* doc, QWidget* parent = nullptr);

    // Looks for the copies with the options shown; false (and the user told why) when the
    // minimum size cannot be read.
    bool Find();

Q_SIGNALS:
    // The user asked to see the file in the disc tree.
    void showFile(const std::string& number, const COvFileData& file);

private:
    void FillCategoryMenu();
    void UpdateCategoryButton();
    std::vector<std::string> ChosenCategories() const;
    void OnActivated(const CCopiesModel::Row* row);

    COv2Doc* m_pDocument;
    QLineEdit* m_editMinSize = nullptr;
    QToolButton* m_buttonCategories = nullptr;
    QMenu* m_menuCategories = nullptr;
    QTabWidget* m_tabs = nullptr;
    CCopiesModel* m_modelDuplicates = nullptr;
    CCopiesModel* m_modelSingles = nullptr;
    QTreeView* m_listDuplicates = nullptr;
    QTreeView* m_listSingles = nullptr;
    QLabel* m_labelFound = nullptr;
};
