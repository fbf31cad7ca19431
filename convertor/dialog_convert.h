#pragma once

#include <QDialog>
#include <QIcon>
#include <memory>
#include <optional>
#include <string>

#include "core/disc_database.h"

class CConvertProcedure;
class QTreeWidget;
class QTreeWidgetItem;

// The one class the Convertor library exports.
#if defined(OV2_BUILDING_CONVERTOR)
#define OV2_CONVERTOR_API Q_DECL_EXPORT
#else
#define OV2_CONVERTOR_API Q_DECL_IMPORT
#endif

// "Convert Old Files": the user picks the folder of an old catalogue in a tree of the fixed,
// remote and RAM drives, and of the home folder (where most users keep old files), and
// converts it. After OK the main program takes the discs and the
// category names of m_pDatabase; after a failed conversion, or none, it is empty.
class OV2_CONVERTOR_API CDialogConvert : public QDialog {
    Q_OBJECT
public:
    static constexpr int kNameRole = Qt::UserRole + 1;  // QByteArray: the item's part of the path

    explicit CDialogConvert(QWidget* parent = nullptr);
    ~CDialogConvert() override;

    QIcon m_imageList[3];  // the drive, an open folder, a folder
    // The selected item's path and a backslash ("c:\old\", "C:\\"); below the home folder, its
    // native path and the names below it ("/home/me\old\").
    std::string m_strPath;
    std::unique_ptr<COvDiscDatabase> m_pDatabase;
    QTreeWidget* m_treeFolders = nullptr;

    // Lists the folder's sub-folders under the item, each with its expand button when it has
    // sub-folders itself; the number added.
    int AddDirectories(QTreeWidgetItem* item, const std::string& path);
    // A top-level item for a fixed, remote or RAM drive ("C:\"); 1 when it was added.
    int AddDriveItem(const std::string& root);
    int AddDrives();
    // A top-level item for the user's home folder; 1 when it was added.
    int AddHomeItem();
    void DeleteAllChildren(QTreeWidgetItem* item);
    void DeleteFirstChild(QTreeWidgetItem* item);
    // The item's path: the texts of its ancestors and its own, joined by backslashes.
    std::string GetPathFromItem(QTreeWidgetItem* item) const;
    // Gives the item a placeholder child when the folder has a sub-folder; 1 when it has.
    int SetButtonState(QTreeWidgetItem* item, const std::string& path);

protected:
    void OnInitDialog();
    void OnLoad();
    void OnConvert();
    void OnItemexpandingTree(QTreeWidgetItem* item, bool expanding);
    void OnSelchangedTree(QTreeWidgetItem* item);

private:
    QTreeWidgetItem* AddFolderItem(QTreeWidgetItem* parent, const std::string& name);
    void ShowOutcome(int outcome);  // a CConvertProcedure::Outcome
    // The native folder of an item's path, on a drive or below the home folder.
    std::optional<std::string> NativeFolder(const std::string& path) const;

    std::string m_strHome;  // the native home folder that the tree offers; empty when none

    std::unique_ptr<CConvertProcedure> m_convert;
};
