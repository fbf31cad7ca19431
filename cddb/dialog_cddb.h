#pragma once

#include <QDialog>
#include <string>
#include <vector>

class CFreedbClient;
class CMapStringToString;
class QCheckBox;
class QComboBox;
class QLabel;
class QTreeWidget;

// "CDDB Dialog": looks the audio CD in a drive up on a freedb server. The user picks the server
// and the category; "Start" reads the table of contents, asks the server and shows the entry;
// OK hands the track titles, artist, title and year to the caller in the public fields.
//
// When the server knows several entries for the disc, they join the category list as
// "category id title": picking one and pressing Start reads that entry. While a transfer runs
// the dialog shows a busy bar whose Cancel ends it at once; nothing else takes input then.
class CDialogCddb final : public QDialog {
    Q_OBJECT
public:
    explicit CDialogCddb(QWidget* parent = nullptr);

    // Set by the caller before exec().
    std::string m_strDiscNumber;
    std::string m_strDiscName;
    std::string m_strDrive;                           // the root of the drive to read ("e:\")
    CMapStringToString* m_pServerSettings = nullptr;  // the catalogue's "CDDB" map

    // The dialog's fields, read from the controls when it closes with OK.
    std::string m_strSite;
    std::string m_strCategory = "automatic";
    std::string m_strArtist;
    std::string m_strAlbumTitle;
    std::string m_strYear;
    std::string m_strGenre;
    bool m_bReplaceName = true;    // "Replace CD Name with Album Title"
    bool m_bReplaceArtist = true;  // "Replace Artist Info with Album Artist / Year"
    std::vector<std::string> m_arrTrackTitles;
    std::string m_strStatus = "noError";  // "noData" when OK came without an entry

    int exec() override;
    void OnButtonStart();
    void accept() override;  // OK
    // Whether a transfer is running (the busy bar shows).
    bool IsTransferring() const { return m_pClient != nullptr; }

private:
    void OnInitDialog();
    // Asks the central server for its categories and puts them into the category list.
    void LoadCategories();
    // Runs one transfer of `client` with the busy bar shown and its Cancel live. False when
    // it failed (the error shown) or was cancelled (nothing shown).
    template <class Work>
    bool Transfer(CFreedbClient& client, Work work);
    // The query's matches as category-list entries, first in the list, replacing older ones.
    void ShowMatches(const CFreedbClient& client);
    void UpdateData(bool bSaveAndValidate);
    // The contact address for the greeting, from the catalogue's settings.
    std::string Hello() const;

    QLabel* m_labelNumber = nullptr;
    QLabel* m_labelName = nullptr;
    QComboBox* m_comboSite = nullptr;
    QComboBox* m_comboCategory = nullptr;
    QTreeWidget* m_listTracks = nullptr;
    QLabel* m_labelArtist = nullptr;
    QLabel* m_labelAlbum = nullptr;
    QLabel* m_labelYear = nullptr;
    QLabel* m_labelGenre = nullptr;
    QLabel* m_labelStatus = nullptr;
    QWidget* m_busy = nullptr;  // the busy bar and its Cancel
    QLabel* m_labelBusy = nullptr;
    CFreedbClient* m_pClient = nullptr;  // the client whose transfer runs
    QCheckBox* m_checkReplaceName = nullptr;
    QCheckBox* m_checkReplaceArtist = nullptr;
};
