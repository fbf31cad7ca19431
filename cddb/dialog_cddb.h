#pragma once

#include <QDialog>
#include <string>
#include <vector>

class CMapStringToString;
class QCheckBox;
class QComboBox;
class QLabel;
class QTreeWidget;

// "CDDB Dialog": looks the audio CD in a drive up on a freedb server. The user picks the server
// and the category; "Start" reads the table of contents, asks the server and shows the entry;
// OK hands the track titles, artist, title and year to the caller in the public fields.
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
    bool m_bReplaceName = true;    // "Replace CD Name with Album Title"
    bool m_bReplaceArtist = true;  // "Replace Artist Info with Album Artist / Year"
    std::vector<std::string> m_arrTrackTitles;
    std::string m_strStatus = "noError";  // "noData" when OK came without an entry

    int exec() override;
    void OnButtonStart();
    void accept() override;  // OK

private:
    void OnInitDialog();
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
    QCheckBox* m_checkReplaceName = nullptr;
    QCheckBox* m_checkReplaceArtist = nullptr;
};
