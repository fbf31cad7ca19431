#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <string>
#include <string_view>
#include <vector>

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

    // Shows the working copy's label and the catalogue's statistics, and enables the commands
    // that need a disc when the catalogue has one.
    void RefreshFromCurrentDisc();
    // Drops the suggestions of the two history combos that their histories no longer hold.
    void PruneHistoryCombos();

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
    // Walks the current disc's drive again and, after the user agreed to the summary, replaces
    // its records and outline, keeping what the user added.
    void OnButtonRescan();
    void OnEditchangeComboSearch();
    void OnEditchangeComboLend();

    // The searches: each opens its own result window, which keeps the parameters it was opened
    // with ("pattern", "names"|"files", "all"|"byCat") and, for "byCat", the categories selected
    // at that moment.
    void OnButtonNameSearch();
    void OnButtonFileSearch();
    void OpenSearchResult(const std::vector<std::string>& parameters);

    // Lending: the current disc goes to the borrower typed in the combo, or comes back home.
    void OnButtonLend();
    void OnButtonGetBack();
    void OnButtonShowAvailable();
    void OnButtonShowNotAvailable();

    // The numbers from 1 to the last disc's number that no disc carries.
    void OnButtonGaps();

    // The freedb lookup of the current disc, from the drive that holds it.
    void OnCddbCommand();
    // Whether the current disc is an audio CD: one of its files is a track ("….cda").
    bool IsAudioDisc();
    // Looks the disc in that drive up and writes the entry into the current disc's record.
    void OnButtonCddb(const std::string& driveRoot);

    // Reads the controls into the values (true) or shows the values in the controls (false).
    // Reading stops at the find number when it is not a whole number from 1 to 2147483647: the
    // user is told, the focus goes to that field, and false is returned.
    bool UpdateData(bool bSaveAndValidate = true);

    // Enables the buttons that need a disc while the catalogue has one, and disables those
    // that change it while it is read-only.
    void EnableDiscCommands();

private:
    COvDiscDatabase* Database() const;
    COvDisc* CurrentDisc() const;
    bool CatalogueIsEmpty() const;
    // The buttons whose commands need a disc are enabled exactly when the catalogue has one.
    // The history list of that settings key, or none when the catalogue has no such list.
    CStringList* HistoryList(std::string_view key) const;
    void TypeAhead(CHistoryCombo* combo, std::string_view key, std::string_view missingMessage);
    // Appends the entry to the history list of that key unless an equal entry (case matters) is
    // there; false when the catalogue has no such list.
    bool AddToHistory(std::string_view key, const std::string& entry);
    // Starts a disc ("names") or file ("files") search from the panel's fields.
    void StartSearch(const char* mode);
    // Selects the disc of that number in the tree, which makes it current.
    void SelectDiscInTree(std::string_view number);
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
    // The parameters of the search being started; each result window keeps its own copy.
    std::vector<std::string> m_lstSearchParameters;
    // The result window opened last, which the next one steps away from.
    QPointer<QWidget> m_pLastSearchWindow;

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
