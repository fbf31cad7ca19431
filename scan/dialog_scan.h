#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/ov_disc.h"
#include "scan/disc_walk.h"
#include "scan/scan_source.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QStackedWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

// "Scan New Discs": the user picks a CD-ROM drive, starts the scan, names the disc by editing
// the root of the folder tree, and saves it. The caller sets m_strDiscNumber before the dialog
// opens and, after OK, takes m_pDisc.
//
// The walk runs inside "Start Scan" on the GUI thread. Meanwhile the window keeps painting (the
// texts at most about 30 times a second, which keeps the walk near the disk's speed) with a busy
// bar, and input reaches only "Abort Scan": it stops the walk at the next file and closes the
// dialog with nothing recorded. Any other close request (window manager, Escape) is ignored until
// the walk ends.
class CDialogScan final : public QDialog, private CDiscWalk::Listener {
    Q_OBJECT
public:
    static constexpr int kNameRole = Qt::UserRole + 1;  // QByteArray: the label's bytes
    // On the drive list's items: the root ("E:\"), and whether the user added the drive.
    static constexpr int kDriveRootRole = Qt::UserRole + 2;
    static constexpr int kAddedDriveRole = Qt::UserRole + 3;
    // Whether the drive is an optical one (a disc image is not), and the native folder or ISO
    // image whose volume it shows (empty when none is mounted).
    static constexpr int kOpticalRole = Qt::UserRole + 4;
    static constexpr int kVolumeRole = Qt::UserRole + 5;
    static constexpr int kIsoRole = Qt::UserRole + 6;

    explicit CDialogScan(QWidget* parent = nullptr);
    ~CDialogScan() override;

    // ---- the scan state (records' bytes)
    std::string m_strDrive;       // "E:\" of the chosen drive; empty when none is chosen
    std::string m_strDiscNumber;  // the number the new disc will carry
    std::string m_strDiscName = "Untitled";
    int m_nFileCount = 0;
    double m_dTotalBytes = 0;
    bool m_bAudioDisc = false;
    bool m_bScanned = false;
    std::vector<std::shared_ptr<COvFileData>> m_lstScannedFiles;
    std::shared_ptr<COvDisc> m_pDisc;  // filled by Save Disc; the caller takes it after OK
    ov2::DiscFacts m_volumeFacts;      // of the volume the last walk read
    // For a rescan: the fingerprints of files that need not be read again (KnownFingerprints).
    CDiscWalk::KnownFingerprint m_knownFingerprint;

    // Where the scan finds drives, tables of contents and the mounter; tests replace them.
    ov2::ScanSourceServices m_services;
    // The folder or image the user picks for "Add Folder…" and "Add Image…" (the desktop's
    // choosers); empty when the user cancels. Tests replace them.
    std::function<QString(QWidget* parent)> m_chooseFolder;
    std::function<QString(QWidget* parent)> m_chooseImage;

    // Lists the drives a scan can walk: the CD-ROM drives (disc images included), the removable
    // media and the folders and images the user added; or, when there is none, a hint in the
    // list's place.
    void ListCdromDrives();
    void OnClickDriveList();
    void OnButtonAddFolder();
    void OnButtonAddImage();
    // Makes a folder or image a drive and selects it; tells the user when it cannot be read.
    void AddDrive(const QString& path);
    // Selects the drive with that letter when the list shows it.
    void SelectDrive(char letter);
    // The dialog walks an already catalogued disc again (m_strDiscNumber and m_strDiscName set):
    // its caption says so, labels are not edited, and the drive that holds the disc, when known
    // (not 0), is selected.
    void SetRescan(char letter);
    // Forgets the added drive with that letter and lists the drives again.
    void OnForgetDrive(char letter);
    void OnButtonStartScan();
    // Stops a running walk and closes the dialog; nothing is handed over.
    void OnButtonAbortScan();
    void OnButtonSaveDisc();
    // The end of a label edit in the folder tree, with the text typed: it names the disc. Only the
    // root is editable.
    void OnEndLabelEditTree(QTreeWidgetItem* item, const QString& text);
    void SaveDisc();
    // Appends the outline of the folder tree, written from the items' bytes, to the disc.
    void WriteFolderOutline(COvDisc& disc) const;

    bool IsWalking() const { return m_bWalking; }

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Enter is "Save Disc", the dialog's OK, with its check.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void OnDriveListMenu(const QPoint& position);
    // Shows the selected drive's volume and its kind's fingerprint choice.
    void ShowSelectedDrive();
    // The settings key of the fingerprint choice of the selected drive's kind.
    QString FingerprintKey() const;
    void OnFolder(const CDiscWalk::Folder& folder, int index) override;
    void OnFile(const COvFileData& file) override;
    void OnBusy() override { ShowProgress(false); }
    // Shows the texts and the bar and lets the window paint, at most ~30 times a second unless
    // `now`.
    void ShowProgress(bool now);
    // Shows the scan texts as the state holds them.
    void ShowTexts();
    // When the folder or image cannot be read, nothing is recorded and `failure` is set to a
    // message naming it.
    void Walk(const ov2::ScanSource& source, std::string* failure);
    // Forgets whatever a walk left: tree, records and texts; "Save Disc" asks for a scan again.
    void DropScan();
    static void SetItemLabel(QTreeWidgetItem* item, const std::string& label);

    QTreeWidget* m_treeFolders = nullptr;
    QListWidget* m_listDrives = nullptr;
    QStackedWidget* m_stackDrives = nullptr;  // the list, or the hint when there is no drive
    QLabel* m_labelNoDrives = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_labelFolder = nullptr;
    QLabel* m_labelFile = nullptr;
    QLabel* m_labelFiles = nullptr;
    QLabel* m_labelSize = nullptr;
    QCheckBox* m_checkArchives = nullptr;  // "List files inside archives"
    QCheckBox* m_checkFingerprint = nullptr;  // "Fingerprint files (...)"
    QLabel* m_labelVolume = nullptr;          // the volume's summary: "ext4, 'BACKUP', ..."
    QLabel* m_labelArchives = nullptr;     // what the walk did with archives
    QToolButton* m_buttonStartScan = nullptr;
    QToolButton* m_buttonAbortScan = nullptr;
    QToolButton* m_buttonSaveDisc = nullptr;

    // The texts as they are shown.
    QString m_strFolder;
    QString m_strFile;
    QString m_strFiles;
    QString m_strSize;

    bool m_bWalking = false;
    bool m_bAbortRequested = false;
    QElapsedTimer m_refreshClock;
    QTreeWidgetItem* m_rootItem = nullptr;
    std::unordered_map<const CDiscWalk::Folder*, QTreeWidgetItem*> m_folderItems;
    CDiscWalk* m_pWalk = nullptr;
};
