#pragma once

#include <QWidget>
#include <string>

#include "core/ov_view.h"

class CCategoryList;
class COv2Doc;
class COvDisc;
class COvDiscDatabase;
class QAction;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class QTreeWidgetItem;

// The categories panel: creates, renames and deletes the catalogue's categories, attaches them
// to the current disc or to the files selected in the file list, removes them from the disc,
// chooses the categories of a search by category, and edits the current disc's notes.
//
// A category attached to a disc or file is a copy of its name, so renaming and deleting walk
// every disc and every file record of the catalogue.
class CCategoriesView final : public QWidget, public COvView {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "CCategoriesView";

    explicit CCategoriesView(COv2Doc* doc, QWidget* parent = nullptr);
    ~CCategoriesView() override;

    const char* GetViewClassName() const override { return kClassName; }
    void OnInitialUpdate() override;
    bool OnViewCommand(int nID) override;

    // Shows the current disc's notes and attached categories.
    void RefreshAttachedCategories();

    void OnButtonCreateCategory();
    void OnButtonSaveNotes();
    void OnAttachToCd();
    void OnAttachToFile();
    void OnRenameCategory();
    void OnDeleteCategory();
    void OnRemoveAttachedCategory();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildMenus();
    void OnChangeEditCategory();
    void OnChangeEditNotes();
    void OnClickCategoryList();
    // Opens a result window of the discs that carry every selected category.
    void OnViewCds();
    void OnClickAttachedList();
    void OnBeginlabeleditCategoryList(QTreeWidgetItem* item);
    void OnEndlabeleditCategoryList(QTreeWidgetItem* item, const QString& text);
    // Stores the notes shown into the current disc's record; false when no disc carries the
    // current number.
    bool SaveNotes();
    // The catalogue's record of the current disc, copied into the working copy again.
    void RefreshWorkingCopy();
    bool IsCatalogueEmpty() const;
    std::string CurrentNumber() const;

    // The catalogue and the working copy are the document's; they are asked for each time, as
    // a new or opened catalogue replaces both before the views' initial update.
    COvDiscDatabase* Database() const;
    COvDisc* CurrentDisc() const;

    COv2Doc* m_pDocument;

    QLineEdit* m_editCategory = nullptr;
    QToolButton* m_buttonCreate = nullptr;
    CCategoryList* m_listCategories = nullptr;
    CCategoryList* m_listAttached = nullptr;
    QPlainTextEdit* m_editNotes = nullptr;
    QPushButton* m_buttonSaveNotes = nullptr;
    QMenu* m_menuCategories = nullptr;  // over the list of all categories
    QMenu* m_menuAttached = nullptr;    // over the attached list

    // The list that a right click last went to; the list of all categories at first.
    CCategoryList* m_lastRightClicked = nullptr;
    std::string m_strOldName;  // the category whose label is being edited
};
