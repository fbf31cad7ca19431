#include "convertor/dialog_convert.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <new>
#include <optional>
#include <system_error>
#include <vector>

#include "convertor/convert_procedure.h"
#include "platform/drives.h"
#include "platform/message_box.h"
#include "platform/text.h"

namespace {

namespace fs = std::filesystem;

enum Image { kDrive = 0, kOpenFolder = 1, kFolder = 2 };

std::string ItemName(const QTreeWidgetItem* item) {
    return item->data(0, CDialogConvert::kNameRole).toByteArray().toStdString();
}

// The sub-folders of a native folder, as record names, in the order of their names without
// regard to case (a Windows folder listing's order); none when it cannot be read.
std::optional<std::vector<std::string>> SubFolders(const std::optional<std::string>& native,
                                                   bool firstOnly) {
    if (!native) return std::nullopt;
    std::error_code error;
    fs::directory_iterator it(*native, error), end;
    if (error) return std::nullopt;
    std::vector<std::string> names;
    for (; !error && it != end; it.increment(error)) {
        std::error_code kind;
        if (!it->is_directory(kind)) continue;
        names.push_back(ov2::RecordName(it->path().filename().string()));
        if (firstOnly) break;
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int order = ov2::CompareNoCase(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    return names;
}

QIcon ThemeIcon(QStyle* style, const char* name, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QString::fromLatin1(name), style->standardIcon(fallback));
}

}  // namespace

CDialogConvert::CDialogConvert(QWidget* parent)
    : QDialog(parent),
      m_pDatabase(std::make_unique<COvDiscDatabase>()),
      m_convert(std::make_unique<CConvertProcedure>()) {
    setObjectName(QStringLiteral("dialogConvert"));
    setWindowTitle(QStringLiteral("Convert Old Files"));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("convertIcon"));
    icon->setPixmap(ThemeIcon(style(), "document-revert", QStyle::SP_FileDialogContentsView).pixmap(32, 32));

    m_treeFolders = new QTreeWidget(this);
    m_treeFolders->setObjectName(QStringLiteral("treeFolders"));
    m_treeFolders->setHeaderHidden(true);
    m_treeFolders->setRootIsDecorated(true);
    m_treeFolders->setIconSize(QSize(16, 16));
    m_treeFolders->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_treeFolders->header()->setStretchLastSection(false);

    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* ok = button("buttonOk", QStringLiteral("OK"));
    QPushButton* convert = button("buttonConvert", QStringLiteral("Convert"));
    QPushButton* cancel = button("buttonCancel", QStringLiteral("Cancel"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CDialogConvert::OnLoad);
    connect(convert, &QPushButton::clicked, this, &CDialogConvert::OnConvert);
    connect(cancel, &QPushButton::clicked, this, &CDialogConvert::reject);
    connect(m_treeFolders, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { OnItemexpandingTree(item, true); });
    connect(m_treeFolders, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { OnItemexpandingTree(item, false); });
    connect(m_treeFolders, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { OnSelchangedTree(item); });

    auto* left = new QVBoxLayout;
    left->addWidget(icon, 0, Qt::AlignLeft);
    left->addWidget(m_treeFolders, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(ok);
    right->addWidget(convert);
    right->addWidget(cancel);
    right->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right);
    resize(560, 420);

    OnInitDialog();
}

CDialogConvert::~CDialogConvert() = default;

void CDialogConvert::OnInitDialog() {
    m_imageList[kDrive] = ThemeIcon(style(), "drive-harddisk", QStyle::SP_DriveHDIcon);
    m_imageList[kOpenFolder] = ThemeIcon(style(), "folder-open", QStyle::SP_DirOpenIcon);
    m_imageList[kFolder] = ThemeIcon(style(), "folder", QStyle::SP_DirClosedIcon);
    const int drives = AddDrives();
    const int home = AddHomeItem();
    // The first item is selected; it opens only when it is alone, so that an opened C: never
    // pushes the home folder out of sight below the root's folders.
    if (QTreeWidgetItem* first = m_treeFolders->topLevelItem(0)) {
        m_treeFolders->setCurrentItem(first);
        if (drives + home == 1) first->setExpanded(true);
    }
}

// ---------------------------------------------------------------- the folder tree

int CDialogConvert::AddDrives() {
    int count = 0;
    for (const ov2::Drive& drive : ov2::ListDrives()) {
        const char root[] = {drive.letter, ':', '\\', 0};
        count += AddDriveItem(root);
    }
    return count;
}

int CDialogConvert::AddDriveItem(const std::string& root) {
    const std::optional<ov2::Drive> drive = root.empty() ? std::nullopt : ov2::FindDrive(root[0]);
    if (!drive || (drive->type != ov2::DriveType::Fixed && drive->type != ov2::DriveType::Remote &&
                   drive->type != ov2::DriveType::RamDisk))
        return 0;
    auto* item = new QTreeWidgetItem(m_treeFolders, {QString::fromLatin1(root.c_str())});
    item->setData(0, kNameRole, ov2::ToByteArray(root));
    item->setIcon(0, m_imageList[kDrive]);
    SetButtonState(item, root);
    return 1;
}

int CDialogConvert::AddHomeItem() {
    std::string home = QDir::homePath().toStdString();
    while (home.size() > 1 && home.back() == '/') home.pop_back();
    std::error_code error;
    if (home.empty() || home.front() != '/' || !fs::is_directory(home, error)) return 0;
    m_strHome = home;
    auto* item = new QTreeWidgetItem(m_treeFolders, {QDir::toNativeSeparators(QDir::homePath())});
    item->setData(0, kNameRole, ov2::ToByteArray(home));
    item->setIcon(0, ThemeIcon(style(), "user-home", QStyle::SP_DirHomeIcon));
    item->setToolTip(0, QStringLiteral("Your home folder"));
    SetButtonState(item, home);
    return 1;
}

std::optional<std::string> CDialogConvert::NativeFolder(const std::string& path) const {
    // A drive path starts with its letter; only a path below the home folder starts with "/".
    if (!m_strHome.empty() && path.starts_with(m_strHome) &&
        (path.size() == m_strHome.size() || path[m_strHome.size()] == '\\'))
        return ov2::ResolveInFolder(m_strHome, std::string_view(path).substr(m_strHome.size()));
    return ov2::ResolveDrivePath(path);
}

int CDialogConvert::SetButtonState(QTreeWidgetItem* item, const std::string& path) {
    const std::string folder = !path.empty() && path.back() == '\\' ? path : path + '\\';
    const auto first = SubFolders(NativeFolder(folder), true);
    if (!first || first->empty()) return 0;
    auto* placeholder = new QTreeWidgetItem(item, {ov2::DecodeText(first->front())});
    placeholder->setIcon(0, m_imageList[kDrive]);
    return 1;
}

QTreeWidgetItem* CDialogConvert::AddFolderItem(QTreeWidgetItem* parent, const std::string& name) {
    auto* item = new QTreeWidgetItem(parent, {ov2::DecodeText(name)});
    item->setData(0, kNameRole, ov2::ToByteArray(name));
    item->setIcon(0, m_imageList[kFolder]);
    return item;
}

int CDialogConvert::AddDirectories(QTreeWidgetItem* item, const std::string& path) {
    const std::string folder = !path.empty() && path.back() == '\\' ? path : path + '\\';
    const auto names = SubFolders(NativeFolder(folder), false);
    if (!names) {
        // A drive that cannot be listed keeps its expand button, for another try.
        if (!item->parent()) new QTreeWidgetItem(item);
        return 0;
    }
    for (const std::string& name : *names) SetButtonState(AddFolderItem(item, name), folder + name);
    return static_cast<int>(names->size());
}

void CDialogConvert::DeleteAllChildren(QTreeWidgetItem* item) { qDeleteAll(item->takeChildren()); }

void CDialogConvert::DeleteFirstChild(QTreeWidgetItem* item) {
    if (item->childCount() > 0) delete item->takeChild(0);
}

std::string CDialogConvert::GetPathFromItem(QTreeWidgetItem* item) const {
    if (!item) return {};
    std::string path = ItemName(item);
    for (QTreeWidgetItem* ancestor = item->parent(); ancestor; ancestor = ancestor->parent()) {
        std::string prefix = ItemName(ancestor);
        if (prefix.empty() || prefix.back() != '\\') prefix += '\\';
        path = prefix + path;
    }
    return path;
}

void CDialogConvert::OnItemexpandingTree(QTreeWidgetItem* item, bool expanding) {
    const std::string path = GetPathFromItem(item);
    // The tree's own signals stay quiet while the children change, and a refused opening
    // closes the item again without running the closing's work.
    const QSignalBlocker blocker(m_treeFolders);
    if (expanding) {
        DeleteFirstChild(item);
        if (AddDirectories(item, path) == 0) item->setExpanded(false);
        else if (item->parent())
            item->setIcon(0, m_imageList[kOpenFolder]);
        return;
    }
    // Folding away the selected folder selects the folded item, as the tree shows it; the path
    // follows, so that Convert converts the folder the user sees selected.
    bool selectedInside = false;
    for (QTreeWidgetItem* up = m_treeFolders->currentItem(); up && !selectedInside;
         up = up->parent())
        selectedInside = up->parent() == item;
    if (selectedInside) {
        m_treeFolders->setCurrentItem(item);
        OnSelchangedTree(item);
    }
    DeleteAllChildren(item);
    if (item->parent()) {
        item->setIcon(0, m_imageList[kFolder]);
        SetButtonState(item, path);
    } else {
        new QTreeWidgetItem(item);
    }
}

void CDialogConvert::OnSelchangedTree(QTreeWidgetItem* item) {
    m_strPath = item ? GetPathFromItem(item) + '\\' : std::string();
}

// ---------------------------------------------------------------- converting

void CDialogConvert::OnConvert() {
    // The procedure reports its own lack of memory; this catches what is left (the messages,
    // the hand-over), so that a hostile catalogue never ends the program.
    try {
        m_convert->m_strFolder = NativeFolder(m_strPath).value_or(std::string());
        const CConvertProcedure::Outcome outcome = m_convert->Convert();
        m_pDatabase = std::move(m_convert->m_pDatabase);
        m_convert->m_pDatabase = std::make_unique<COvDiscDatabase>();
        ShowOutcome(static_cast<int>(outcome));
    } catch (const std::bad_alloc&) {
        m_pDatabase = std::make_unique<COvDiscDatabase>();
        m_convert = std::make_unique<CConvertProcedure>();
        ov2::OvMessageBox(
            "The Old File Could Not Be Read:\r\n\nnot enough memory to convert the old "
            "catalogue\r\n\nThe Convert Process has been terminated!",
            ov2::MsgButtons::Ok, ov2::MsgIcon::Error);
    }
}

void CDialogConvert::ShowOutcome(int outcome) {
    switch (static_cast<CConvertProcedure::Outcome>(outcome)) {
        case CConvertProcedure::Outcome::Missing:
            ov2::OvMessageBox(m_convert->MissingMessage(), ov2::MsgButtons::Ok, ov2::MsgIcon::Error);
            break;
        case CConvertProcedure::Outcome::Unreadable:
            ov2::OvMessageBox("The Old File Could Not Be Read:\r\n\n" + m_convert->m_strError +
                                  "\r\n\nThe Convert Process has been terminated!",
                              ov2::MsgButtons::Ok, ov2::MsgIcon::Error);
            break;
        case CConvertProcedure::Outcome::Converted:
            ov2::OvMessageBox(CConvertProcedure::kCompleted, ov2::MsgButtons::Ok, ov2::MsgIcon::Information);
            if (const std::string leftOut = m_convert->LeftOutMessage(); !leftOut.empty())
                ov2::OvMessageBox(leftOut, ov2::MsgButtons::Ok, ov2::MsgIcon::Warning);
            break;
    }
}

void CDialogConvert::OnLoad() { accept(); }
