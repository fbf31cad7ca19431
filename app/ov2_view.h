#pragma once

#include <QIcon>
#include <QTreeWidget>
#include <optional>
#include <string>
#include <string_view>

#include "catalog_ops/list_sort.h"
#include "core/file_facts.h"
#include "core/ov_view.h"

class COv2Doc;
class COvDisc;
class COvDiscDatabase;
class COvFileData;
class QAction;

// The file list: the file records of the disc or folder selected in the disc tree, one row per
// file with its name, size, type and time of change and the desktop's icon for that kind of
// file, locked for an entry that its archive keeps encrypted. Rows are not
// linked to records: each row operation finds its record again from the row's texts and the
// tree's selected path (FindFileRecord).
class COv2View : public QTreeWidget, public COvView {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "COv2View";
    static constexpr int kNameRole = Qt::UserRole + 1;  // QByteArray: the record's file name bytes

    // The columns of a row.
    static constexpr int kColumnName = 0;  // the name without its extension
    static constexpr int kColumnSize = 1;  // "%0.3f MB"
    static constexpr int kColumnType = 2;  // the extension in upper case
    static constexpr int kColumnModified = 3;  // local "yyyy-MM-dd HH:mm"; empty without a time

    explicit COv2View(COv2Doc* doc, QWidget* parent = nullptr);
    ~COv2View() override;

    const char* GetViewClassName() const override { return kClassName; }
    void OnInitialUpdate() override;
    bool OnViewCommand(int nID) override;

    // Lists the files of the node with that path (GetItemPath of the tree): a disc node's
    // root files, or a folder's files, in record order.
    void ShowFolder(std::string_view path);
    void SelectFileRow(const COvFileData& file);
    // The record of a row, or none.
    COvFileData* FindFileRecord(int row) const;
    // The root ("f:\") of the drive that holds the recorded file, or none.
    static std::optional<std::string> LocateDiscDrive(std::string_view fullPath);
    void OnFilemenuOpenfile();
    // Where the recorded file lies on its disc: its folder and name, or "TrackNN.cda" for an
    // audio track that was given a title.
    static std::string DiscPath(const COvFileData& file);
    // Opens the recorded file from the drive that holds its disc, telling the user when the
    // desktop cannot open it; false when no drive holds the disc.
    static bool OpenFromDrive(const COvFileData& file);
    // Opens the recorded file of disc `number` as the file list does: while no drive holds the
    // disc, the user is asked to insert it, until it opens or the user cancels. Find opens its
    // results through it too.
    static void OpenWithDiscPrompt(const COvFileData& file, std::string_view number);
    // "Please, insert CD <number> and then press OK."; true when the user pressed OK.
    static bool AskForDisc(std::string_view number);

    // The texts of a row as the list shows them, from a record's bytes.
    static QString NameText(std::string_view fileName);
    static QString TypeText(std::string_view fileName);
    static QString SizeText(std::string_view sizeBytes);
    static QString ModifiedText(const ov2::FileFacts& facts);
    // The desktop's icon for a file of that name, found by its extension alone (the disc is never
    // touched); one lookup per extension for the life of the program, shared by every list. An
    // encrypted entry's icon carries a lock.
    static QIcon FileIcon(std::string_view fileName, bool encrypted = false);
    // The name's tooltip of an encrypted entry.
    static const QString& EncryptedTip();

    // The handlers of the popup menu, the icon commands and title editing.
    void OnFilemenuViewandeditattachedcategories();
    void OnFilemenuCdinfo();
    void OnFilemenuRenameaudiofile();
    void OnViewLargeicons();
    void OnViewSmallicons();
    void OnColumnclick(int column);
    // Ends the title editing of a row with the text typed (empty when editing was cancelled).
    void OnEndlabeledit(int row, const QString& text);

    using QTreeWidget::edit;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QAction* AddPopupAction(const char* objectName, const char* text, int nID);
    void OnClick();
    void ClearSortIndicator();

    COv2Doc* m_pDocument;
    COvDisc* m_pCurrentDisc = nullptr;
    COvDiscDatabase* m_pDatabase = nullptr;
    ov2::CListSortState m_mapSortState;
    QList<QAction*> m_popupActions;  // in the popup's order; null stands for the separator

    int m_nEditRow = -1;
    std::string m_strEditOldText;  // the row's name bytes when title editing began
    std::string m_strEditNewText;  // the bytes typed when title editing ended
};
