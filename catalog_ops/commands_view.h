#pragma once

#include <QString>
#include <QWidget>
#include <string>
#include <string_view>

#include "core/ov_view.h"

class CHistoryCombo;
class COv2Doc;
class COvDisc;
class COvDiscDatabase;
class CStringList;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;

// The control centre for the current disc: its label (number, name, artist, quality, location),
// finding a disc by number, the searches, lending, gaps, scan and freedb lookup, and two
// statistics of the catalogue. The tree view forwards the menu commands that end here.
//
// The panel keeps its values apart from its controls and exchanges them in one step
// (UpdateData): reading takes the controls' contents in, showing puts the values out. Showing
// never counts as an edit: the change handlers answer the user's typing only.
class CCommandsView final : public QWidget, public COvView {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "CCommandsView";

    explicit CCommandsView(COv2Doc* doc, QWidget* parent = nullptr);
    ~CCommandsView() override;

    const char* GetViewClassName() const override { return kClassName; }
    void OnInitialUpdate() override;
    bool OnViewCommand(int nID) override;

    // Shows the working copy's label and the catalogue's statistics.
    void RefreshFromCurrentDisc();

    // The handlers of the controls, also reached through the document's commands.
    void OnChangeEditNumber();
    void OnChangeEditName();
    void OnChangeEditArtist();
    void OnChangeEditQuality();
    void OnChangeEditFindNumber();
    void OnButtonChangeNumber();
    void OnButtonShowCd();
    void OnButtonSaveArtist();
    void OnButtonDelete();
    // Scans a new disc; after Save Disc it joins the catalogue and becomes the current disc.
    void OnButtonScan();
    void OnEditchangeComboSearch();
    void OnEditchangeComboLend();

    // Reads the controls into the values (true) or shows the values in the controls (false).
    // Reading stops at the find number when it is not a whole number from 1 to 2147483647: the
    // user is told, the focus goes to that field, and false is returned.
    bool UpdateData(bool bSaveAndValidate = true);

private:
    COvDiscDatabase* Database() const;
    COvDisc* CurrentDisc() const;
    bool CatalogueIsEmpty() const;
    // The history list of that settings key, or none when the catalogue has no such list.
    CStringList* HistoryList(std::string_view key) const;
    void TypeAhead(CHistoryCombo* combo, std::string_view key, std::string_view missingMessage);
    // Saves the artist and quality texts into the current disc's record.
    void SaveArtistInfo();

    void BuildControls();
    QGroupBox* BuildOperations();
    QGroupBox* BuildLabel();
    QWidget* BuildArtistInfo();
    QGroupBox* BuildFindNumber();
    QGroupBox* BuildSearch();
    QGroupBox* BuildLending();
    QGroupBox* BuildStats();

    COv2Doc* m_pDocument;

    // The panel's values, in the order they are exchanged with the controls.
    QString m_strNumber;
    QString m_strName;
    QString m_strLocation;
    QString m_strArtist;
    QString m_strQuality;
    int m_nSearchScope = 0;  // 0 everything, 1 by category
    int m_nFindNumber = 1;
    QString m_strSearch;
    QString m_strLend;
    QString m_strLastEntry;
    QString m_strNumberOfCds;

    QLineEdit* m_editNumber = nullptr;
    QLineEdit* m_editName = nullptr;
    QLabel* m_labelLocation = nullptr;
    QLineEdit* m_editArtist = nullptr;
    QLineEdit* m_editQuality = nullptr;
    QRadioButton* m_radioEverything = nullptr;
    QRadioButton* m_radioByCategory = nullptr;
    QLineEdit* m_editFindNumber = nullptr;
    CHistoryCombo* m_comboSearch = nullptr;
    CHistoryCombo* m_comboLend = nullptr;
    QLabel* m_labelLastEntry = nullptr;
    QLabel* m_labelNumberOfCds = nullptr;
    QToolButton* m_buttonSaveArtist = nullptr;
};
