#include "catalog_ops/categories_view.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/left_view.h"
#include "app/ov2_view.h"
#include "catalog_ops/category_list.h"
#include "catalog_ops/commands_view.h"
#include "core/command_ids.h"
#include "core/ov2_doc.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "widgets/theme_icons.h"

namespace {

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Removes one entry: a row of a list stands for one entry of the record.
void RemoveOne(std::vector<std::string>& names, const std::string& name) {
    if (const auto it = std::find(names.begin(), names.end(), name); it != names.end())
        names.erase(it);
}

void RemoveAll(std::vector<std::string>& names, const std::vector<std::string>& removed) {
    std::erase_if(names, [&](const std::string& name) { return Contains(removed, name); });
}

void ReplaceAll(std::vector<std::string>& names, const std::string& from, const std::string& to) {
    std::replace(names.begin(), names.end(), from, to);
}

// Notes are stored with CR LF between lines; the edit shows plain line breaks.
QString NotesText(std::string_view bytes) {
    QString text = ov2::DecodeText(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

// The edit's text with plain line breaks. The raw text keeps what the user typed (the plain
// text would turn no-break spaces into blanks); blocks and line breaks become "\n".
QString ShownNotes(const QPlainTextEdit& edit) {
    QString text = edit.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

std::string NotesBytes(const QPlainTextEdit& edit) {
    QString text = ShownNotes(edit);
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return ov2::EncodeText(text);
}

// The pane is narrow (165 pixels at first), so the frames keep their margins small.
QGroupBox* Group(const char* objectName, const QString& title, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(QString::fromLatin1(objectName));
    return group;
}

template <class Layout>
Layout* TightLayout(QWidget* owner) {
    auto* layout = new Layout(owner);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(3);
    return layout;
}

}  // namespace

CCategoriesView::CCategoriesView(COv2Doc* doc, QWidget* parent)
    : QWidget(parent), m_pDocument(doc) {
    setObjectName(QStringLiteral("categoriesView"));

    QGroupBox* createGroup =
        Group("groupCreateCategory", QStringLiteral("Create New Categories"), this);
    m_editCategory = new QLineEdit(createGroup);
    m_editCategory->setObjectName(QStringLiteral("editCategory"));
    m_buttonCreate = new QToolButton(createGroup);
    m_buttonCreate->setObjectName(QStringLiteral("buttonCreateCategory"));
    m_buttonCreate->setAutoRaise(true);
    m_buttonCreate->setIcon(ov2::ThemeIcon("list-add", QStyle::SP_FileDialogNewFolder));
    m_buttonCreate->setIconSize(QSize(24, 24));
    m_buttonCreate->setToolTip(QStringLiteral("Create New Category     Ctrl + Enter"));
    auto* createLayout = TightLayout<QHBoxLayout>(createGroup);
    createLayout->addWidget(m_editCategory, 1);
    createLayout->addWidget(m_buttonCreate);

    QGroupBox* allGroup =
        Group("groupAllCategories", QStringLiteral("List of All Categories"), this);
    m_listCategories = new CCategoryList(allGroup);
    m_listCategories->setObjectName(QStringLiteral("listCategories"));
    TightLayout<QVBoxLayout>(allGroup)->addWidget(m_listCategories);

    QGroupBox* attachedGroup =
        Group("groupAttachedCategories", QStringLiteral("Categories, Attached to a CD"), this);
    m_listAttached = new CCategoryList(attachedGroup);
    m_listAttached->setObjectName(QStringLiteral("listAttached"));
    // Only the catalogue's own names are renamed; the attached list shows copies of them.
    m_listAttached->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TightLayout<QVBoxLayout>(attachedGroup)->addWidget(m_listAttached);

    QGroupBox* notesGroup = Group("groupNotes", QStringLiteral("Notes"), this);
    m_editNotes = new QPlainTextEdit(notesGroup);
    m_editNotes->setObjectName(QStringLiteral("editNotes"));
    m_editNotes->setTabChangesFocus(true);
    // Saving is reached through Ctrl+Enter; the notes are saved on every keystroke anyway.
    m_buttonSaveNotes = new QPushButton(QStringLiteral("Save Notes"), notesGroup);
    m_buttonSaveNotes->setObjectName(QStringLiteral("buttonSaveNotes"));
    m_buttonSaveNotes->hide();
    auto* notesLayout = TightLayout<QVBoxLayout>(notesGroup);
    notesLayout->addWidget(m_editNotes);
    notesLayout->addWidget(m_buttonSaveNotes);

    auto* layout = TightLayout<QVBoxLayout>(this);
    layout->addWidget(createGroup);
    layout->addWidget(allGroup, 3);
    layout->addWidget(attachedGroup, 2);
    layout->addWidget(notesGroup, 2);

    m_lastRightClicked = m_listCategories;
    BuildMenus();

    connect(m_editCategory, &QLineEdit::textEdited, this, [this] { OnChangeEditCategory(); });
    connect(m_buttonCreate, &QToolButton::clicked, this, [this] { OnButtonCreateCategory(); });
    // Enter in the field is the natural end of typing a name; Ctrl+Enter still works as well.
    connect(m_editCategory, &QLineEdit::returnPressed, this, [this] { OnButtonCreateCategory(); });
    // The program's own showing of notes blocks the edit's signals, so this is the user's edit.
    connect(m_editNotes, &QPlainTextEdit::textChanged, this, [this] { OnChangeEditNotes(); });
    connect(m_buttonSaveNotes, &QPushButton::clicked, this, [this] { OnButtonSaveNotes(); });
    connect(m_listCategories, &CCategoryList::leftClicked, this, [this] { OnClickCategoryList(); });
    connect(m_listCategories, &QTreeWidget::itemDoubleClicked, this, [this] { OnViewCds(); });
    connect(m_listAttached, &CCategoryList::leftClicked, this, [this] { OnClickAttachedList(); });
    connect(m_listCategories, &CCategoryList::rightPressed, this,
            [this] { m_lastRightClicked = m_listCategories; });
    connect(m_listAttached, &CCategoryList::rightPressed, this,
            [this] { m_lastRightClicked = m_listAttached; });
    connect(m_listCategories, &CCategoryList::labelEditBegan, this,
            [this](QTreeWidgetItem* item) { OnBeginlabeleditCategoryList(item); });
    connect(m_listCategories, &CCategoryList::labelEditEnded, this,
            [this](QTreeWidgetItem* item, const QString& text) {
                OnEndlabeleditCategoryList(item, text);
            });

    m_pDocument->AddView(this);
}

CCategoriesView::~CCategoriesView() {
    m_pDocument->RemoveView(this);
}

void CCategoriesView::BuildMenus() {
    m_menuCategories = new QMenu(this);
    m_menuCategories->setObjectName(QStringLiteral("menuCategories"));
    struct Entry {
        const char* objectName;
        const char* text;
        int id;
        const char* icon;
        QStyle::StandardPixmap fallback;
    };
    const Entry entries[] = {
        {"actionAttachToCd", "&Attach to CD", ov2::cmd::kAttachToCd, "media-optical",
         QStyle::SP_DriveCDIcon},
        {"actionAttachToFile", "Attach to a File", ov2::cmd::kAttachToFile, "text-x-generic",
         QStyle::SP_FileIcon},
        {"actionRenameCategory", "&Rename", ov2::cmd::kRenameCategory, "accessories-text-editor",
         QStyle::SP_FileDialogDetailedView},
        {"actionDeleteCategory", "Delete", ov2::cmd::kDeleteCategory, "edit-delete",
         QStyle::SP_TrashIcon},
        {"actionViewCds", "View CDs", ov2::cmd::kViewCds, "system-search",
         QStyle::SP_FileDialogContentsView},
    };
    for (const Entry& entry : entries) {
        QAction* action = m_menuCategories->addAction(ov2::ThemeIcon(entry.icon, entry.fallback),
                                                      QString::fromLatin1(entry.text));
        action->setObjectName(QString::fromLatin1(entry.objectName));
        action->setData(entry.id);
        connect(action, &QAction::triggered, this, [this, id = entry.id] { OnViewCommand(id); });
    }

    m_menuAttached = new QMenu(this);
    m_menuAttached->setObjectName(QStringLiteral("menuAttached"));
    QAction* remove = m_menuAttached->addAction(ov2::ThemeIcon("edit-delete", QStyle::SP_TrashIcon),
                                                QStringLiteral("&Delete"));
    remove->setObjectName(QStringLiteral("actionRemoveAttached"));
    remove->setData(ov2::cmd::kRemoveAttachedCategory);
    connect(remove, &QAction::triggered, this, [this] { OnViewCommand(ov2::cmd::kRemoveAttachedCategory); });
}

// ---------------------------------------------------------------- view of the document

void CCategoriesView::OnInitialUpdate() {
    m_strOldName.clear();
    m_listAttached->clear();
    m_listCategories->Fill(Database() ? Database()->m_pCategories->m_strings
                                      : std::vector<std::string>());
    m_listCategories->ResetSortState();
    m_listAttached->ResetSortState();
    if (auto* tree = m_pDocument->FindView<CLeftView>()) tree->SelectFirstVisible();
    // An empty catalogue selects no disc; the notes of the previous catalogue must not stay.
    RefreshAttachedCategories();
}

bool CCategoriesView::OnViewCommand(int nID) {
    // A catalogue open read-only takes no change, whichever way the command came.
    if (m_pDocument->IsReadOnly() && COv2Doc::ChangesCatalogue(nID)) return false;
    switch (nID) {
        case ov2::cmd::kCreateCategory:
            OnButtonCreateCategory();
            return true;
        case ov2::cmd::kSaveNotes:
            OnButtonSaveNotes();
            return true;
        case ov2::cmd::kDeleteCategory:
            OnDeleteCategory();
            return true;
        case ov2::cmd::kRemoveAttachedCategory:
            OnRemoveAttachedCategory();
            return true;
        case ov2::cmd::kAttachToCd:
            OnAttachToCd();
            return true;
        case ov2::cmd::kAttachToFile:
            OnAttachToFile();
            return true;
        case ov2::cmd::kRenameCategory:
            OnRenameCategory();
            return true;
        case ov2::cmd::kViewCds:
            OnViewCds();
            return true;
        default:
            return false;
    }
}

COvDiscDatabase* CCategoriesView::Database() const {
    return m_pDocument->m_pDatabase.get();
}

COvDisc* CCategoriesView::CurrentDisc() const {
    return m_pDocument->m_pCurrentDisc.get();
}

bool CCategoriesView::IsCatalogueEmpty() const {
    return !Database() || Database()->IsEmpty();
}

std::string CCategoriesView::CurrentNumber() const {
    return CurrentDisc() ? CurrentDisc()->m_strNumber.str() : std::string();
}

void CCategoriesView::RefreshWorkingCopy() {
    if (const COvDisc* disc = Database()->FindDisc(CurrentNumber()))
        m_pDocument->SetCurrentDisc(disc);
}

void CCategoriesView::RefreshAttachedCategories() {
    // A category needs a disc to be attached to; an empty catalogue takes none.
    const bool readOnly = m_pDocument->IsReadOnly();
    m_buttonCreate->setEnabled(!IsCatalogueEmpty() && !readOnly);
    m_buttonSaveNotes->setEnabled(!readOnly);
    m_editNotes->setReadOnly(readOnly);
    if (!CurrentDisc()) return;
    // Only a changed text is set, so that the caret stays where the user left it.
    const QString notes = NotesText(CurrentDisc()->m_strNotes);
    if (ShownNotes(*m_editNotes) != notes) {
        const QSignalBlocker blocker(m_editNotes);
        m_editNotes->setPlainText(notes);
    }
    m_listAttached->Fill(CurrentDisc()->m_lstCategories);
}

// ---------------------------------------------------------------- creating

void CCategoriesView::OnChangeEditCategory() {
    m_pDocument->m_nEnterTarget = 7;
    m_pDocument->m_nDeleteTarget = 0;
}

void CCategoriesView::OnButtonCreateCategory() {
    if (IsCatalogueEmpty()) return;
    const std::string name = ov2::EncodeText(m_editCategory->text());
    if (name.empty()) return;
    // Names differing only in case are different categories.
    const std::vector<std::string> rows = m_listCategories->AllBytes();
    if (Contains(rows, name)) {
        ov2::OvMessageBox("Thies Category is already on your list!");
        return;
    }
    m_listCategories->InsertSorted(name);
    Database()->m_pCategories->m_strings.push_back(name);
    m_editCategory->clear();
    m_pDocument->SetModifiedFlag();
}

// ---------------------------------------------------------------- notes

bool CCategoriesView::SaveNotes() {
    const std::string number = CurrentNumber();
    const COvDisc* disc = Database()->FindDisc(number);
    if (!disc) return false;
    // Artist and quality are taken from the record, not from the working copy: the commands
    // panel saves them into the record, and a stale copy written back would undo its save.
    const std::string notes = NotesBytes(*m_editNotes);
    const bool changed = disc->m_strNotes != notes;
    Database()->SetDiscDetails(number, disc->m_strArtist.str(), disc->m_strQuality.str(), notes);
    // The working copy follows, so that whoever saves the disc's texts next writes these notes.
    m_pDocument->SetCurrentDisc(disc);
    return changed;
}

void CCategoriesView::OnChangeEditNotes() {
    if (IsCatalogueEmpty()) return;
    m_pDocument->m_nEnterTarget = 9;
    m_pDocument->m_nDeleteTarget = 0;
    if (SaveNotes()) m_pDocument->SetModifiedFlag();
}

void CCategoriesView::OnButtonSaveNotes() {
    if (IsCatalogueEmpty()) return;
    if (SaveNotes()) m_pDocument->SetModifiedFlag();
}

// ---------------------------------------------------------------- clicks and menus

void CCategoriesView::OnClickCategoryList() {
    m_pDocument->m_lstSelectedCategories = m_listCategories->SelectedBytes();
    m_pDocument->m_nDeleteTarget = 2;
}

void CCategoriesView::OnViewCds() {
    OnClickCategoryList();
    if (IsCatalogueEmpty()) return;
    // With no category selected, every disc is a candidate: the window lists them all.
    if (auto* panel = m_pDocument->FindView<CCommandsView>()) panel->OpenSearchResult({"*", "names", "byCat"});
}

void CCategoriesView::OnClickAttachedList() {
    m_pDocument->m_nDeleteTarget = 3;
}

void CCategoriesView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    if (IsCatalogueEmpty()) return;
    QMenu* menu = m_lastRightClicked == m_listAttached ? m_menuAttached : m_menuCategories;
    menu->popup(event->globalPos());
}

// ---------------------------------------------------------------- attaching and removing

void CCategoriesView::OnAttachToCd() {
    if (!Database()) return;
    COvDisc* disc = Database()->FindDisc(CurrentNumber());
    if (!disc) return;
    for (const std::string& category : m_listCategories->SelectedBytes()) {
        if (Contains(disc->m_lstCategories, category)) continue;
        disc->m_lstCategories.push_back(category);
        m_listAttached->InsertSorted(category);
    }
    m_pDocument->SetCurrentDisc(disc);
    m_pDocument->SetModifiedFlag();
}

void CCategoriesView::OnAttachToFile() {
    if (!Database()) return;
    bool changed = false;
    if (const auto* fileList = m_pDocument->FindView<COv2View>()) {
        std::vector<int> rows;
        for (int row = 0; row < fileList->topLevelItemCount(); ++row)
            if (fileList->topLevelItem(row)->isSelected()) rows.push_back(row);
        for (const std::string& category : m_listCategories->SelectedBytes()) {
            for (const int row : rows) {
                // The working copy shares its file records with the catalogue's disc.
                COvFileData* file = fileList->FindFileRecord(row);
                if (!file || Contains(file->m_lstCategories, category)) continue;
                file->m_lstCategories.push_back(category);
                changed = true;
            }
        }
    }
    const COvDisc* disc = Database()->FindDisc(CurrentNumber());
    if (disc) m_pDocument->SetCurrentDisc(disc);
    if (disc || changed) m_pDocument->SetModifiedFlag();
}

void CCategoriesView::OnRemoveAttachedCategory() {
    if (!Database()) return;
    COvDisc* disc = Database()->FindDisc(CurrentNumber());
    if (!disc) return;
    for (const std::string& category : m_listAttached->SelectedBytes())
        RemoveOne(disc->m_lstCategories, category);
    m_pDocument->SetCurrentDisc(disc);
    m_listAttached->Fill(CurrentDisc()->m_lstCategories);
    m_pDocument->SetModifiedFlag();
}

// ---------------------------------------------------------------- deleting

void CCategoriesView::OnDeleteCategory() {
    if (ov2::OvMessageBox("Do you really want to delete this Categoriy ?", ov2::MsgButtons::YesNo,
                          ov2::MsgIcon::Question, ov2::MsgResult::No) != ov2::MsgResult::Yes)
        return;
    if (!Database()) return;
    std::vector<std::string> kept, deleted;
    for (int row = 0; row < m_listCategories->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = m_listCategories->topLevelItem(row);
        (item->isSelected() ? deleted : kept).push_back(CCategoryList::Bytes(item));
    }
    for (const std::string& name : deleted) RemoveOne(Database()->m_pCategories->m_strings, name);
    m_listCategories->Fill(kept);

    // Discs and files hold copies of the names, so every one of them is visited.
    for (const auto& disc : Database()->m_lstDiscs) {
        RemoveAll(disc->m_lstCategories, deleted);
        for (const auto& file : disc->m_lstFiles) RemoveAll(file->m_lstCategories, deleted);
    }
    RefreshWorkingCopy();
    m_pDocument->SetModifiedFlag();
    m_listAttached->Fill(CurrentDisc()->m_lstCategories);
}

// ---------------------------------------------------------------- renaming

void CCategoriesView::OnRenameCategory() {
    QTreeWidgetItem* item = m_listCategories->currentItem();
    if (!item) return;
    m_strOldName = CCategoryList::Bytes(item);
    // The menu that chose the command gives the focus back as it closes, which would end an
    // edit begun now at once; the edit begins once the menu is gone, on the row of the
    // selection mark then.
    QTimer::singleShot(0, m_listCategories, [list = m_listCategories] {
        QTreeWidgetItem* current = list->currentItem();
        if (!current) return;
        list->setFocus();
        list->editItem(current, 0);
    });
}

void CCategoriesView::OnBeginlabeleditCategoryList(QTreeWidgetItem* item) {
    // While a label is edited, Del belongs to the label.
    m_pDocument->m_nDeleteTarget = 0;
    m_strOldName = CCategoryList::Bytes(item);
}

void CCategoriesView::OnEndlabeleditCategoryList(QTreeWidgetItem* item, const QString& text) {
    if (!Database()) return;
    const std::string newName = ov2::EncodeText(text);
    const std::string oldName = m_strOldName;
    if (newName.empty() || oldName.empty()) return;
    // A rename may not make two names that differ only in case, nor change only the case.
    auto& names = Database()->m_pCategories->m_strings;
    for (const std::string& name : names)
        if (ov2::EqualsNoCase(name, newName)) return;

    CCategoryList::SetBytes(item, newName);
    if (const auto it = std::find(names.begin(), names.end(), oldName); it != names.end())
        *it = newName;
    for (const auto& disc : Database()->m_lstDiscs) {
        ReplaceAll(disc->m_lstCategories, oldName, newName);
        for (const auto& file : disc->m_lstFiles)
            ReplaceAll(file->m_lstCategories, oldName, newName);
    }
    RefreshWorkingCopy();
    m_listAttached->Fill(CurrentDisc()->m_lstCategories);
    m_pDocument->SetModifiedFlag();
}
