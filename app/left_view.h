#pragma once

#include <QTreeWidget>
#include <string>
#include <string_view>

#include "core/ov_view.h"

class COv2Doc;
class COvDisc;
class COvDiscDatabase;
class COvFileData;

// The disc tree: one top-level node per disc ("number name"), the disc's folders below it.
// Selecting a node makes its disc current and lists the folder's files in the file list.
//
// Labels are record bytes; each node keeps its bytes (kLabelRole) beside the text it displays,
// so paths compare with the file records byte for byte.
class CLeftView : public QTreeWidget, public COvView {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "CLeftView";
    static constexpr int kLabelRole = Qt::UserRole + 1;  // QByteArray: the label's bytes

    explicit CLeftView(COv2Doc* doc, QWidget* parent = nullptr);
    ~CLeftView() override;

    const char* GetViewClassName() const override { return kClassName; }
    void OnInitialUpdate() override;
    bool OnViewCommand(int nID) override;

    // Adds the disc's node (from its record) and its folders (from its outline) after the given
    // top-level node, or last when none.
    QTreeWidgetItem* AddDiscBranch(const COvDisc& disc, QTreeWidgetItem* after);
    // The top-level node of that number; the first disc node when there is none.
    QTreeWidgetItem* FindDiscItem(std::string_view number) const;
    // Selects and shows the node of that number, which makes its disc current; none when the
    // tree has no disc node.
    QTreeWidgetItem* SelectDisc(std::string_view number);
    void DeleteCurrentDisc();
    // The disc's node and folders made anew from its record, in the same place, and selected;
    // none when no node carries its number.
    QTreeWidgetItem* RebuildDiscBranch(const COvDisc& disc);
    // `name` as a label edit gives it: "12 Holiday" names the disc "Holiday". A name that is
    // no label (an album title "10 Years Gone") passes `nameIsLabel` false and stays whole.
    void ChangeDiscNumberAndName(std::string number, std::string name, bool nameIsLabel = true);
    void GoToFile(QTreeWidgetItem* discItem, const COvFileData& file);
    // The labels of the node and its ancestors joined by "\": "12 Holiday\2003\June".
    std::string GetItemPath(const QTreeWidgetItem* item) const;
    QTreeWidgetItem* GetDiscItem() const;
    static int GetItemDepth(const QTreeWidgetItem* item);
    void SelectFirstVisible();

    static std::string ItemLabel(const QTreeWidgetItem* item);
    void SetItemLabel(QTreeWidgetItem* item, std::string_view label);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnSelchanged();
    void OnEndlabeledit(QTreeWidgetItem* item);
    void OnTreeCdinfo();
    void ShowCurrentDisc(QTreeWidgetItem* item, const COvDisc* disc);
    // The commands panel and the categories panel show the current disc again.
    void RefreshPanels();

    COv2Doc* m_pDocument;
    COvDisc* m_pCurrentDisc = nullptr;
    COvDiscDatabase* m_pDatabase = nullptr;
    bool m_bMarkModified = true;
    bool m_bSettingLabel = false;
    bool m_bKeyAfterClick = false;  // a key was pressed since the last click on the selected node
};
