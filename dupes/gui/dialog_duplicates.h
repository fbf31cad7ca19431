#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "core/ov_file_data.h"

class COv2Doc;
class COvDisc;
class QLabel;
class QLineEdit;
class QMenu;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

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
    struct Row {
        std::shared_ptr<COvDisc> disc;
        std::shared_ptr<COvFileData> file;
    };

    void FillCategoryMenu();
    void UpdateCategoryButton();
    std::vector<std::string> ChosenCategories() const;
    QTreeWidgetItem* FileItem(const Row& row, QTreeWidgetItem* parent);
    void OnActivated(QTreeWidgetItem* item);

    COv2Doc* m_pDocument;
    std::vector<Row> m_rows;
    QLineEdit* m_editMinSize = nullptr;
    QToolButton* m_buttonCategories = nullptr;
    QMenu* m_menuCategories = nullptr;
    QTabWidget* m_tabs = nullptr;
    QTreeWidget* m_listDuplicates = nullptr;
    QTreeWidget* m_listSingles = nullptr;
    QLabel* m_labelFound = nullptr;
};
