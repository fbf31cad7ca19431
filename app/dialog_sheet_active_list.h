#pragma once

#include <QString>
#include <QWidget>
#include <string>
#include <vector>

class COvDiscDatabase;
class QComboBox;
class QListWidget;

// The "List Options" page of the settings sheet: prunes working copies of the search and
// borrower histories. They reach the catalogue with the sheet's OK or the page's "Save".
class CDialogSheetActiveList final : public QWidget {
    Q_OBJECT
public:
    CDialogSheetActiveList(COvDiscDatabase* database, const QString& docPath,
                           QWidget* parent = nullptr);

    void OnSelendokComboList();
    void OnButtonRemove();
    void OnButtonRemoveAll();
    void OnButtonSaveLists();

    std::vector<std::string> m_lstSearch;
    std::vector<std::string> m_lstLend;
    QString m_strList;  // "Search", "Lend", or empty while no list is chosen

    QListWidget* ListBox() const { return m_listBox; }
    QComboBox* ComboList() const { return m_comboList; }

private:
    void FillListBox();
    // The working copy the chosen list edits; none while no list is chosen.
    std::vector<std::string>* ChosenList();

    COvDiscDatabase* m_pDatabase;
    QString m_strDocPath;
    QListWidget* m_listBox = nullptr;
    QComboBox* m_comboList = nullptr;
};
