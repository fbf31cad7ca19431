#include "catalog_ops/commands_view.h"

#include <QApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <optional>

#include "app/left_view.h"
#include "app/ov2_view.h"
#include "catalog_ops/categories_view.h"
#include "catalog_ops/history_combo.h"
#include "catalog_ops/history_combo_edit.h"
#include "core/command_ids.h"
#include "core/disc_database.h"
#include "core/number_text.h"
#include "core/ov2_doc.h"
#include "core/string_list.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "platform/text_matcher.h"
#include "scan/dialog_scan.h"
#include "scan/next_disc_number.h"
#include "widgets/theme_icons.h"
#include "widgets/value_label.h"

using namespace ov2::cmd;

namespace {

constexpr const char* kFindNumberPrompt = "Please enter an integer between 1 and 2147483647.";

void Tell(std::string_view text) {
    ov2::OvMessageBox(text, ov2::MsgButtons::Ok, ov2::MsgIcon::Warning);
}

// Only a changed text is set: setting a text moves the caret and drops the field's undo steps.
void ShowText(QLineEdit* edit, const QString& text) {
    if (edit->text() != text) edit->setText(text);
}
void ShowText(QLabel* label, const QString& text) {
    if (label->text() != text) label->setText(text);
}
void ShowText(CHistoryCombo* combo, const QString& text) {
    if (combo->currentText() != text) combo->setEditText(text);
}

bool IsAllDigits(const QString& text) {
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

// The find number: a whole number from 1 to 2147483647; an empty field is none.
std::optional<int> FindNumberValue(const QString& text) {
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok, 10);
    if (!ok || value < 1 || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

// The typed disc number as the catalogue writes numbers ("%d"): its leading decimal integer,
// when that lies from 1 to 2147483647. Larger numbers are refused rather than cut to the
// largest one, which would give the disc a number nobody typed.
std::optional<int> TypedDiscNumber(std::string_view text) {
    const int value = ParseLeadingInt(text);
    if (value <= 0) return std::nullopt;
    if (value == INT_MAX) {
        std::size_t i = text.find_first_not_of(" \t\r\n\v\f");
        if (i != std::string_view::npos && text[i] == '+') ++i;
        while (i < text.size() && text[i] == '0') ++i;
        std::size_t end = i;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
        if (text.substr(i, end - i) != "2147483647") return std::nullopt;
    }
    return value;
}

// The buttons whose commands need a disc to act on; an empty catalogue disables them.
constexpr const char* kDiscCommands[] = {
    "buttonGaps",          "buttonDelete",           "buttonChangeNumber", "buttonShowCd",
    "buttonDiscSearch",    "buttonFileSearch",       "buttonLend",         "buttonGetBack",
    "buttonShowAvailable", "buttonShowNotAvailable",
};

// The buttons whose commands change the catalogue; read-only mode disables them.
constexpr const char* kEditingCommands[] = {
    "buttonScan",       "buttonDelete", "buttonCddb",    "buttonChangeNumber",
    "buttonSaveArtist", "buttonLend",   "buttonGetBack",
};

// A field for a disc number takes digits only, refused as they are typed; what reaches the
// commands in another way (set by a test, say) still meets their own checks.
void AcceptDigitsOnly(QLineEdit* edit) {
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,10}")), edit));
}

QToolButton* HoverButton(QWidget* parent, const char* objectName, const char* iconName,
                         QStyle::StandardPixmap fallback, const char* toolTip) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoRaise(true);
    button->setIcon(ov2::ThemeIcon(iconName, fallback));
    button->setIconSize(QSize(24, 24));
    button->setToolTip(QString::fromLatin1(toolTip));
    return button;
}

struct ButtonEntry {
    const char* objectName;
    const char* icon;
    QStyle::StandardPixmap fallback;
    const char* toolTip;
    void (CCommandsView::*handler)();
};

// A row of the panel's buttons, each running its handler.
template <std::size_t N>
void AddButtons(CCommandsView* panel, QHBoxLayout* row, QGroupBox* group,
                const ButtonEntry (&entries)[N]) {
    for (const ButtonEntry& b : entries) {
        QToolButton* button = HoverButton(group, b.objectName, b.icon, b.fallback, b.toolTip);
        QObject::connect(button, &QToolButton::clicked, panel, b.handler);
        row->addWidget(button);
    }
}

QLineEdit* NamedEdit(QWidget* parent, const char* objectName) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(objectName));
    return edit;
}

QGroupBox* NamedGroup(QWidget* parent, const char* objectName, const char* title) {
    auto* group = new QGroupBox(QString::fromLatin1(title), parent);
    group->setObjectName(QString::fromLatin1(objectName));
    return group;
}

}  // namespace

CCommandsView::CCommandsView(COv2Doc* doc, QWidget* parent) : QWidget(parent), m_pDocument(doc) {
    setObjectName(QString::fromLatin1(kClassName));
    BuildControls();
    EnableDiscCommands();
    m_pDocument->AddView(this);
}

CCommandsView::~CCommandsView() {
    m_pDocument->RemoveView(this);
}

// ---------------------------------------------------------------- controls

void CCommandsView::BuildControls() {
    // The panel scrolls when the window is too low for it, as a form does.
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("commandsContent"));
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(6, 6, 6, 6);

    auto* logo = new QLabel(content);
    logo->setObjectName(QStringLiteral("frameLogo"));
    const QIcon logoIcon = QApplication::windowIcon().isNull()
                               ? ov2::ThemeIcon("media-optical", QStyle::SP_DriveCDIcon)
                               : QApplication::windowIcon();
    logo->setPixmap(logoIcon.pixmap(48, 48));
    logo->setAlignment(Qt::AlignCenter);
    logo->setFrameShape(QFrame::StyledPanel);
    column->addWidget(logo);

    column->addWidget(BuildOperations());
    column->addWidget(BuildLabel());
    column->addWidget(BuildArtistInfo());
    column->addWidget(BuildFindNumber());
    column->addWidget(BuildSearch());
    column->addWidget(BuildLending());
    column->addWidget(BuildStats());
    column->addStretch(1);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("commandsScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    // In a narrow window the panel gives way to the file list; its fields stay within reach.
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setWidget(content);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
}

QGroupBox* CCommandsView::BuildOperations() {
    QGroupBox* group = NamedGroup(this, "groupOperations", "Operations");
    auto* row = new QHBoxLayout(group);
    QToolButton* scan = HoverButton(group, "buttonScan", "media-optical", QStyle::SP_DriveCDIcon,
                                    "Scan a CD     Ctrl + Y");
    // The compact disc alone is white on white and reads as a disabled command; the green
    // arrow on it says "go" as Start Scan's does.
    scan->setIcon(
        ov2::BadgedIcon(ov2::ThemeIcon("media-optical", QStyle::SP_DriveCDIcon), ov2::GoIcon()));
    // Work that took long to do is kept in the recovery copy as soon as it is done, as the
    // document does for the same commands from the menus.
    connect(scan, &QToolButton::clicked, this, [this] {
        OnButtonScan();
        m_pDocument->WriteRecoveryCopy();
    });
    row->addWidget(scan);
    QToolButton* gaps =
        HoverButton(group, "buttonGaps", "edit-find-replace", QStyle::SP_FileDialogListView,
                    "Search for Gaps ind the CD Index     Ctrl + G");
    connect(gaps, &QToolButton::clicked, this, &CCommandsView::OnButtonGaps);
    row->addWidget(gaps);
    QToolButton* remove = HoverButton(group, "buttonDelete", "edit-delete", QStyle::SP_TrashIcon,
                                      "CD Delete     Del");
    connect(remove, &QToolButton::clicked, this, &CCommandsView::OnButtonDelete);
    row->addWidget(remove);
    QToolButton* cddb = HoverButton(group, "buttonCddb", "applications-internet", QStyle::SP_DriveNetIcon,
                                    "CDDB Query     Ctrl + D");
    connect(cddb, &QToolButton::clicked, this, [this] {
        OnCddbCommand();
        m_pDocument->WriteRecoveryCopy();
    });
    row->addWidget(cddb);
    row->addStretch(1);
    return group;
}

QGroupBox* CCommandsView::BuildLabel() {
    QGroupBox* group = NamedGroup(this, "groupLabel", "CD Label");
    auto* form = new QFormLayout(group);
    m_editNumber = NamedEdit(group, "editNumber");
    AcceptDigitsOnly(m_editNumber);
    connect(m_editNumber, &QLineEdit::textEdited, this, &CCommandsView::OnChangeEditNumber);
    QToolButton* change =
        HoverButton(group, "buttonChangeNumber", "accessories-text-editor",
                    QStyle::SP_FileDialogDetailedView, "Change Number     Ctrl + Enter");
    connect(change, &QToolButton::clicked, this, &CCommandsView::OnButtonChangeNumber);
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(m_editNumber, 1);
    numberRow->addWidget(change);
    form->addRow(QStringLiteral("CD Number"), numberRow);
    m_editName = NamedEdit(group, "editName");
    connect(m_editName, &QLineEdit::textEdited, this, &CCommandsView::OnChangeEditName);
    form->addRow(QStringLiteral("CD Name"), m_editName);
    return group;
}

QWidget* CCommandsView::BuildArtistInfo() {
    auto* box = new QWidget(this);
    box->setObjectName(QStringLiteral("artistInfo"));
    auto* form = new QFormLayout(box);
    form->setContentsMargins(0, 0, 0, 0);
    m_editArtist = NamedEdit(box, "editArtist");
    connect(m_editArtist, &QLineEdit::textEdited, this, &CCommandsView::OnChangeEditArtist);
    form->addRow(QStringLiteral("CD Artist"), m_editArtist);
    m_editQuality = NamedEdit(box, "editQuality");
    connect(m_editQuality, &QLineEdit::textEdited, this, &CCommandsView::OnChangeEditQuality);
    form->addRow(QStringLiteral("CD Quality"), m_editQuality);
    m_labelLocation = ov2::ValueLabel(box, "labelLocation");
    form->addRow(QStringLiteral("CD Location"), m_labelLocation);
    // Reached through Ctrl+Enter only; the edits save on every change anyway.
    m_buttonSaveArtist =
        HoverButton(box, "buttonSaveArtist", "document-save", QStyle::SP_DialogSaveButton,
                    "Save Artist Info     Ctrl + Enter");
    connect(m_buttonSaveArtist, &QToolButton::clicked, this, &CCommandsView::OnButtonSaveArtist);
    m_buttonSaveArtist->hide();
    return box;
}

QGroupBox* CCommandsView::BuildFindNumber() {
    QGroupBox* group = NamedGroup(this, "groupFindNumber", "Find a CD by its Number:");
    auto* form = new QFormLayout(group);
    m_editFindNumber = NamedEdit(group, "editFindNumber");
    AcceptDigitsOnly(m_editFindNumber);
    m_editFindNumber->setText(QString::number(m_nFindNumber));
    connect(m_editFindNumber, &QLineEdit::textEdited, this, &CCommandsView::OnChangeEditFindNumber);
    QToolButton* show = HoverButton(group, "buttonShowCd", "edit-find", QStyle::SP_ArrowForward,
                                    "Show CD     Ctrl + Enter");
    connect(show, &QToolButton::clicked, this, &CCommandsView::OnButtonShowCd);
    auto* row = new QHBoxLayout;
    row->addWidget(m_editFindNumber, 1);
    row->addWidget(show);
    form->addRow(QStringLiteral("CD Number:"), row);
    return group;
}

QGroupBox* CCommandsView::BuildSearch() {
    QGroupBox* group = NamedGroup(this, "groupSearch", "Search Manager");
    auto* column = new QVBoxLayout(group);
    m_comboSearch = new CHistoryCombo(group);
    m_comboSearch->setObjectName(QStringLiteral("comboSearch"));
    m_comboSearch->Edit()->setObjectName(QStringLiteral("comboSearchEdit"));
    m_comboSearch->SuggestionList()->setObjectName(QStringLiteral("comboSearchSuggestions"));
    connect(m_comboSearch, &CHistoryCombo::editChanged, this,
            &CCommandsView::OnEditchangeComboSearch);
    connect(m_comboSearch, &CHistoryCombo::selected, this, [this] { UpdateData(true); });
    column->addWidget(m_comboSearch);

    m_radioEverything = new QRadioButton(QStringLiteral("Everything"), group);
    m_radioEverything->setObjectName(QStringLiteral("radioEverything"));
    m_radioEverything->setChecked(true);
    m_radioByCategory = new QRadioButton(QStringLiteral("By Category"), group);
    m_radioByCategory->setObjectName(QStringLiteral("radioByCategory"));
    // The scope alone changes; the other fields are not read.
    connect(m_radioEverything, &QRadioButton::clicked, this, [this] { m_nSearchScope = 0; });
    connect(m_radioByCategory, &QRadioButton::clicked, this, [this] { m_nSearchScope = 1; });
    auto* scope = new QHBoxLayout;
    scope->addWidget(m_radioEverything);
    scope->addWidget(m_radioByCategory);
    scope->addStretch(1);
    column->addLayout(scope);

    auto* buttons = new QHBoxLayout;
    const ButtonEntry searches[] = {
        {"buttonDiscSearch", "system-search", QStyle::SP_FileDialogContentsView,
         "Search for Discs     Ctr + Q", &CCommandsView::OnButtonNameSearch},
        {"buttonFileSearch", "folder-saved-search", QStyle::SP_FileDialogInfoView,
         "Search for Files     Ctrl + Enter", &CCommandsView::OnButtonFileSearch},
    };
    AddButtons(this, buttons, group, searches);
    buttons->addStretch(1);
    column->addLayout(buttons);
    return group;
}

QGroupBox* CCommandsView::BuildLending() {
    QGroupBox* group = NamedGroup(this, "groupLend", "CD Management");
    auto* column = new QVBoxLayout(group);
    m_comboLend = new CHistoryCombo(group);
    m_comboLend->setObjectName(QStringLiteral("comboLend"));
    m_comboLend->Edit()->setObjectName(QStringLiteral("comboLendEdit"));
    m_comboLend->SuggestionList()->setObjectName(QStringLiteral("comboLendSuggestions"));
    connect(m_comboLend, &CHistoryCombo::editChanged, this, &CCommandsView::OnEditchangeComboLend);
    connect(m_comboLend, &CHistoryCombo::selected, this, [this] { UpdateData(true); });
    column->addWidget(m_comboLend);

    auto* buttons = new QHBoxLayout;
    const ButtonEntry lending[] = {
        {"buttonLend", "mail-forward", QStyle::SP_ArrowRight,
         "Lend Discs To Other Persons     Ctrl + Enter", &CCommandsView::OnButtonLend},
        {"buttonGetBack", "mail-reply-sender", QStyle::SP_ArrowLeft, "Get CD Back     Ctrl + B",
         &CCommandsView::OnButtonGetBack},
        {"buttonShowAvailable", "emblem-default", QStyle::SP_DialogApplyButton,
         "Show Available Discs     Ctrl + H", &CCommandsView::OnButtonShowAvailable},
        {"buttonShowNotAvailable", "emblem-important", QStyle::SP_MessageBoxWarning,
         "Show Non-Available Discs     Ctrl + X", &CCommandsView::OnButtonShowNotAvailable},
    };
    AddButtons(this, buttons, group, lending);
    buttons->addStretch(1);
    column->addLayout(buttons);
    return group;
}

QGroupBox* CCommandsView::BuildStats() {
    QGroupBox* group = NamedGroup(this, "groupStats", "Stats");
    auto* form = new QFormLayout(group);
    m_labelNumberOfCds = ov2::ValueLabel(group, "labelNumberOfCds");
    form->addRow(QStringLiteral("Number of CDs"), m_labelNumberOfCds);
    m_labelLastEntry = ov2::ValueLabel(group, "labelLastEntry");
    form->addRow(QStringLiteral("Last Entry"), m_labelLastEntry);
    return group;
}

// ---------------------------------------------------------------- document and values

COvDiscDatabase* CCommandsView::Database() const {
    return m_pDocument->m_pDatabase.get();
}

COvDisc* CCommandsView::CurrentDisc() const {
    return m_pDocument->m_pCurrentDisc.get();
}

bool CCommandsView::CatalogueIsEmpty() const {
    return !Database() || Database()->IsEmpty();
}

CStringList* CCommandsView::HistoryList(std::string_view key) const {
    COvDiscDatabase* database = Database();
    if (!database || !database->m_pSettings) return nullptr;
    auto* entry = database->m_pSettings->m_map.Lookup(key);
    // A catalogue file may hold anything under the key; only a string list is a history.
    return entry ? dynamic_cast<CStringList*>(entry->get()) : nullptr;
}

void CCommandsView::PruneHistoryCombos() {
    for (const auto& [combo, key] : {std::pair{m_comboSearch, "SearchCombo"},
                                     std::pair{m_comboLend, "LendCombo"}}) {
        const CStringList* history = HistoryList(key);
        const QString typed = combo->currentText();
        const QSignalBlocker blocker(combo);
        // Row 0 is what the user typed; the rows after it are suggestions from the history.
        for (int row = combo->count() - 1; row >= 1; --row) {
            const std::string entry = ov2::EncodeText(combo->itemText(row));
            if (!history || std::find(history->m_strings.begin(), history->m_strings.end(),
                                      entry) == history->m_strings.end())
                combo->removeItem(row);
        }
        if (combo->currentText() != typed) combo->setEditText(typed);
    }
}

bool CCommandsView::AddToHistory(std::string_view key, const std::string& entry) {
    CStringList* history = HistoryList(key);
    if (!history) return false;
    auto& entries = history->m_strings;
    // "Café" typed again is no new entry beside a Windows-made "CAFÉ".
    const ov2::CTextMatcher typed(entry);
    const auto same = [&](const std::string& old) { return typed.Equals(old); };
    if (std::none_of(entries.begin(), entries.end(), same)) entries.push_back(entry);
    return true;
}

void CCommandsView::SelectDiscInTree(std::string_view number) {
    if (CLeftView* tree = m_pDocument->FindView<CLeftView>()) tree->SelectDisc(number);
}

bool CCommandsView::UpdateData(bool bSaveAndValidate) {
    if (!bSaveAndValidate) {
        ShowText(m_editNumber, m_strNumber);
        ShowText(m_editName, m_strName);
        ShowText(m_labelLocation, m_strLocation);
        ShowText(m_editArtist, m_strArtist);
        ShowText(m_editQuality, m_strQuality);
        (m_nSearchScope == 1 ? m_radioByCategory : m_radioEverything)->setChecked(true);
        ShowText(m_editFindNumber, QString::number(m_nFindNumber));
        ShowText(m_comboSearch, m_strSearch);
        ShowText(m_comboLend, m_strLend);
        ShowText(m_labelLastEntry, m_strLastEntry);
        ShowText(m_labelNumberOfCds, m_strNumberOfCds);
        return true;
    }
    m_strNumber = m_editNumber->text();
    m_strName = m_editName->text();
    m_strLocation = m_labelLocation->text();
    m_strArtist = m_editArtist->text();
    m_strQuality = m_editQuality->text();
    m_nSearchScope = m_radioByCategory->isChecked() ? 1 : 0;
    const std::optional<int> findNumber = FindNumberValue(m_editFindNumber->text());
    if (!findNumber) {
        // The values after the find number keep what they held.
        Tell(kFindNumberPrompt);
        m_editFindNumber->setFocus(Qt::OtherFocusReason);
        return false;
    }
    m_nFindNumber = *findNumber;
    m_strSearch = m_comboSearch->currentText();
    m_strLend = m_comboLend->currentText();
    m_strLastEntry = m_labelLastEntry->text();
    m_strNumberOfCds = m_labelNumberOfCds->text();
    return true;
}

void CCommandsView::OnInitialUpdate() {
    m_strNumber.clear();
    m_strName.clear();
    m_strArtist.clear();
    m_strQuality.clear();
    m_strLocation.clear();
    m_strSearch.clear();
    m_strLend.clear();
    // A new catalogue has its own histories and statistics; nothing of the previous one stays.
    m_strLastEntry.clear();
    m_strNumberOfCds.clear();
    m_comboSearch->Reset();
    m_comboLend->Reset();
    EnableDiscCommands();
    if (CatalogueIsEmpty())
        UpdateData(false);
    else
        RefreshFromCurrentDisc();
}

void CCommandsView::EnableDiscCommands() {
    const bool discs = !CatalogueIsEmpty();
    for (const char* name : kDiscCommands)
        if (auto* button = findChild<QToolButton*>(QString::fromLatin1(name)))
            button->setEnabled(discs);
    // A catalogue open read-only looks things up but takes no change.
    if (!m_pDocument->IsReadOnly()) {
        if (auto* scan = findChild<QToolButton*>(QStringLiteral("buttonScan")))
            scan->setEnabled(true);
    } else {
        for (const char* name : kEditingCommands)
            if (auto* button = findChild<QToolButton*>(QString::fromLatin1(name)))
                button->setEnabled(false);
    }
    for (QLineEdit* edit : {m_editName, m_editArtist, m_editQuality})
        if (edit) edit->setReadOnly(m_pDocument->IsReadOnly());
}

void CCommandsView::RefreshFromCurrentDisc() {
    EnableDiscCommands();
    const COvDisc* disc = CurrentDisc();
    const COvDiscDatabase* database = Database();
    if (!disc || !database) return;
    m_strNumber = ov2::DecodeText(disc->m_strNumber);
    m_strName = ov2::DecodeText(disc->m_strName);
    m_strArtist = ov2::DecodeText(disc->m_strArtist);
    m_strQuality = ov2::DecodeText(disc->m_strQuality);
    m_strLocation = ov2::DecodeText(disc->m_strLocation);
    m_strLastEntry =
        database->IsEmpty() ? QString() : ov2::DecodeText(database->m_lstDiscs.back()->m_strNumber);
    m_strNumberOfCds = QString::number(database->GetCount());
    UpdateData(false);
}

// ---------------------------------------------------------------- commands

bool CCommandsView::OnViewCommand(int nID) {
    // A catalogue open read-only takes no change, whichever way the command came.
    if (m_pDocument->IsReadOnly() && COv2Doc::ChangesCatalogue(nID)) return false;
    switch (nID) {
        case kChangeNumber:
            OnButtonChangeNumber();
            return true;
        case kShowCd:
            OnButtonShowCd();
            return true;
        case kSaveArtist:
            OnButtonSaveArtist();
            return true;
        case kDeleteCd:
            OnButtonDelete();
            return true;
        case kCdScan:
            OnButtonScan();
            return true;
        case kRescanDisc:
            OnButtonRescan();
            return true;
        case kFindGaps:
            OnButtonGaps();
            return true;
        case kCdSearch:
        case kCdSearchAccel:
            OnButtonNameSearch();
            return true;
        case kFileSearch:
        case kFileSearchButton:
            OnButtonFileSearch();
            return true;
        case kLend:
        case kLendButton:
            OnButtonLend();
            return true;
        case kGetBack:
        case kGetBackAccel:
            OnButtonGetBack();
            return true;
        case kShowAvailable:
        case kShowAvailableAccel:
            OnButtonShowAvailable();
            return true;
        case kShowLent:
        case kShowLentAccel:
            OnButtonShowNotAvailable();
            return true;
        case kCddb:
            OnCddbCommand();
            return true;
        default:
            return false;
    }
}

// ---------------------------------------------------------------- the disc's label

void CCommandsView::OnChangeEditNumber() {
    if (CatalogueIsEmpty()) {
        Tell("Load a Database first");
        m_strNumber.clear();
        UpdateData(false);
        return;
    }
    m_pDocument->m_nEnterTarget = 1;
    m_pDocument->m_nDeleteTarget = 0;
    UpdateData(true);
    if (!IsAllDigits(m_strNumber)) {
        Tell("The typed was not a Number");
        m_strNumber = ov2::DecodeText(CurrentDisc()->m_strNumber);
        UpdateData(false);
        return;
    }
    // The new number waits for Change Number.
    UpdateData(true);
}

void CCommandsView::OnChangeEditName() {
    if (CatalogueIsEmpty()) return;
    UpdateData(true);
    m_pDocument->m_nDeleteTarget = 0;
    CLeftView* tree = m_pDocument->FindView<CLeftView>();
    if (!tree) return;
    // The typed number goes along as Change Number would take it, so that no keystroke in the
    // name can give the disc a number such as "007"; an unusable number renames only.
    const std::optional<int> number = TypedDiscNumber(ov2::EncodeText(m_strNumber));
    tree->ChangeDiscNumberAndName(number ? std::to_string(*number) : std::string(),
                                  ov2::EncodeText(m_strName));
}

void CCommandsView::OnButtonChangeNumber() {
    if (CatalogueIsEmpty()) return;
    const std::optional<int> number = TypedDiscNumber(ov2::EncodeText(m_strNumber));
    if (!number) {
        Tell("Please, type a valid number.");
        return;
    }
    CLeftView* tree = m_pDocument->FindView<CLeftView>();
    if (!tree) return;
    tree->ChangeDiscNumberAndName(std::to_string(*number), ov2::EncodeText(m_strName));
    // The field shows the number the disc now has ("7" for a typed "007", the old one when
    // the typed number was taken).
    RefreshFromCurrentDisc();
}

void CCommandsView::OnChangeEditArtist() {
    if (CatalogueIsEmpty()) return;
    UpdateData(true);
    m_pDocument->m_nEnterTarget = 6;
    m_pDocument->m_nDeleteTarget = 0;
    SaveArtistInfo();
    UpdateData(false);
}

void CCommandsView::OnChangeEditQuality() {
    OnChangeEditArtist();
}

void CCommandsView::OnButtonSaveArtist() {
    if (CatalogueIsEmpty()) return;
    SaveArtistInfo();
}

void CCommandsView::SaveArtistInfo() {
    COvDiscDatabase* database = Database();
    const std::string number = CurrentDisc()->m_strNumber.str();
    COvDisc* disc = database->FindDisc(number);
    if (!disc) return;  // no disc is current: there is nothing to save to
    // The notes come from the record, not from the working copy: notes saved by the categories
    // panel since the copy was taken stay.
    const std::string notes = disc->m_strNotes.str();
    database->SetDiscDetails(number, ov2::EncodeText(m_strArtist), ov2::EncodeText(m_strQuality),
                             notes);
    // The working copy follows, so that whatever saves from it next writes these texts.
    m_pDocument->SetCurrentDisc(disc);
    m_pDocument->SetModifiedFlag();
}

void CCommandsView::OnButtonDelete() {
    if (CatalogueIsEmpty()) return;
    if (CLeftView* tree = m_pDocument->FindView<CLeftView>()) tree->DeleteCurrentDisc();
}

// ---------------------------------------------------------------- scanning a disc

void CCommandsView::OnButtonScan() {
    COvDiscDatabase* database = Database();
    if (!database) return;
    CDialogScan dialog(window());
    dialog.m_strDiscNumber = ov2::NextDiscNumber(*database);
    if (dialog.exec() != QDialog::Accepted) return;

    const std::shared_ptr<COvDisc> disc = dialog.m_pDisc;
    database->AddTail(disc);
    m_pDocument->SetCurrentDisc(disc.get());
    if (CLeftView* tree = m_pDocument->FindView<CLeftView>()) {
        tree->AddDiscBranch(*disc, nullptr);
        tree->SelectDisc(disc->m_strNumber);
    }
    if (COv2View* files = m_pDocument->FindView<COv2View>())
        files->ShowFolder(disc->m_strNumber.str() + " " + disc->m_strName.str());
    if (CCategoriesView* categories = m_pDocument->FindView<CCategoriesView>())
        categories->RefreshAttachedCategories();
    RefreshFromCurrentDisc();
    if (dialog.m_bAudioDisc &&
        ov2::OvMessageBox("Orvella detected an Audio Disc,\ndo you want to lookup in the Free CDDB\n to "
                          "gather information about the CD?",
                          ov2::MsgButtons::OkCancel, ov2::MsgIcon::Question) == ov2::MsgResult::Ok)
        OnButtonCddb(dialog.m_strDrive);
    m_pDocument->SetModifiedFlag();
}

// ---------------------------------------------------------------- finding a disc by number

void CCommandsView::OnChangeEditFindNumber() {
    if (CatalogueIsEmpty()) return;
    UpdateData(true);
    m_pDocument->m_nEnterTarget = 3;
    m_pDocument->m_nDeleteTarget = 0;
    UpdateData(false);
}

void CCommandsView::OnButtonShowCd() {
    if (CatalogueIsEmpty()) return;
    const std::string number = std::to_string(m_nFindNumber);
    if (!Database()->FindDisc(number)) {
        Tell("There is no disc with this number, please enter a valid number.");
        return;
    }
    SelectDiscInTree(number);
}

// ---------------------------------------------------------------- history combos

void CCommandsView::OnEditchangeComboSearch() {
    if (CatalogueIsEmpty()) return;
    UpdateData(true);
    m_pDocument->m_nEnterTarget = 4;
    m_pDocument->m_nDeleteTarget = 0;
    if (!m_comboSearch->TypeAhead()) return;
    TypeAhead(m_comboSearch, "SearchCombo",
              "CCommandsView::OnEditchangeComboSearch() #strange error");
}

void CCommandsView::OnEditchangeComboLend() {
    if (CatalogueIsEmpty()) return;
    UpdateData(true);
    m_pDocument->m_nEnterTarget = 5;
    m_pDocument->m_nDeleteTarget = 0;
    if (!m_comboLend->TypeAhead()) return;
    TypeAhead(m_comboLend, "LendCombo",
              "An Error Occured, contact Orvella Full-Bugged Programmers.");
}

void CCommandsView::TypeAhead(CHistoryCombo* combo, std::string_view key,
                              std::string_view missingMessage) {
    const QString typed = combo->currentText();
    QStringList suggestions;
    if (const CStringList* history = HistoryList(key)) {
        // Case matters: "R" suggests "Rock", not "rock".
        for (const std::string& entry : history->m_strings) {
            const QString text = ov2::DecodeText(entry);
            if (typed.size() < text.size() ? text.startsWith(typed, Qt::CaseSensitive)
                                           : text == typed)
                suggestions << text;
        }
    } else {
        // The suggestions are left out; typing goes on.
        ov2::OvMessageBox(missingMessage, ov2::MsgButtons::Ok, ov2::MsgIcon::Error);
    }
    combo->ShowSuggestions(typed, suggestions);
    UpdateData(true);
}
