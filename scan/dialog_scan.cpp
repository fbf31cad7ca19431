#include "scan/dialog_scan.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/disc_database.h"
#include "core/number_text.h"
#include "platform/clock.h"
#include "platform/drives.h"
#include "platform/drives_added.h"
#include "platform/message_box.h"
#include "platform/quiet_wait.h"
#include "platform/text.h"
#include "platform/volume_facts.h"
#include "scan/scan_label_delegate.h"
#include "widgets/theme_icons.h"

namespace {

// The texts are refreshed at most this often while the walk runs.
constexpr qint64 kRefreshIntervalMs = 33;

QToolButton* ScanButton(QWidget* parent, const char* objectName, const char* text,
                        const char* iconName, QStyle::StandardPixmap fallback) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    // The theme's play triangle is hollow and grey, and reads as a disabled command: "Start
    // Scan" (no icon name) takes the green go arrow.
    button->setIcon(iconName ? ov2::ThemeIcon(iconName, fallback) : ov2::GoIcon());
    button->setIconSize(QSize(24, 24));
    button->setText(QString::fromLatin1(text));
    button->setToolTip(QString::fromLatin1(text));
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return button;
}

QLabel* ScanText(QWidget* parent, const char* objectName) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setTextFormat(Qt::PlainText);
    label->setMinimumWidth(160);
    // A long name must not widen the dialog while the walk runs.
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return label;
}

// What the tooltip of a drive says: where its disc comes from.
QString DriveToolTip(const ov2::Drive& drive) {
    const QString device = ov2::DecodeText(drive.device);
    const QString root = ov2::DecodeText(drive.root);
    if (drive.iso) return QStringLiteral("ISO 9660 disc image %1").arg(device);
    if (drive.image) return QStringLiteral("Disc image %1").arg(device);
    if (drive.type == ov2::DriveType::Remote) return QStringLiteral("Network folder %1").arg(root);
    if (!drive.device.empty() && !drive.root.empty())
        return QStringLiteral("%1 mounted on %2").arg(device, root);
    if (!drive.device.empty()) return QStringLiteral("%1, no file system mounted").arg(device);
    return QStringLiteral("Folder %1").arg(root);
}

QIcon DriveIcon(const ov2::Drive& drive) {
    if (drive.image) return ov2::StyleIcon(QStyle::SP_DriveCDIcon);
    switch (drive.type) {
        case ov2::DriveType::CdRom:
            return ov2::ThemeIcon("media-optical", QStyle::SP_DriveCDIcon);
        case ov2::DriveType::Removable:
            return ov2::ThemeIcon("drive-removable-media", QStyle::SP_DriveFDIcon);
        case ov2::DriveType::Remote:
            return ov2::ThemeIcon("folder-remote", QStyle::SP_DriveNetIcon);
        default:
            return ov2::ThemeIcon("folder", QStyle::SP_DirIcon);
    }
}

QString ChooseFolder(QWidget* parent) {
    return QFileDialog::getExistingDirectory(parent, QStringLiteral("Add Folder"),
                                             QDir::homePath());
}

QString ChooseImage(QWidget* parent) {
    return QFileDialog::getOpenFileName(
        parent, QStringLiteral("Add Image"), QDir::homePath(),
        QStringLiteral("Disc images (*.iso *.ISO *.cue *.CUE);;All files (*)"));
}

}  // namespace

CDialogScan::CDialogScan(QWidget* parent) : QDialog(parent), m_pDisc(std::make_shared<COvDisc>()) {
    setObjectName(QStringLiteral("CDialogScan"));
    setWindowTitle(QStringLiteral("Scan New Discs"));
    setModal(true);
    // Mounting a disc waits for the desktop; "Start Scan" holds the input gate meanwhile, so
    // only "Abort Scan" is heard.
    m_services = ov2::ScanSourceServices::Machine([] { QCoreApplication::processEvents(); });
    m_chooseFolder = ChooseFolder;
    m_chooseImage = ChooseImage;
    BuildControls();
    ListCdromDrives();
    ShowSelectedDrive();
}

CDialogScan::~CDialogScan() = default;

void CDialogScan::BuildControls() {
    m_treeFolders = new QTreeWidget(this);
    m_treeFolders->setObjectName(QStringLiteral("treeFolders"));
    m_treeFolders->setHeaderHidden(true);
    m_treeFolders->setColumnCount(1);
    m_treeFolders->setIconSize(QSize(16, 16));
    m_treeFolders->setRootIsDecorated(true);
    m_treeFolders->setUniformRowHeights(true);
    m_treeFolders->setEditTriggers(QAbstractItemView::SelectedClicked |
                                   QAbstractItemView::EditKeyPressed);
    m_treeFolders->setItemDelegate(new CScanLabelDelegate(
        [this](const QModelIndex& index, const QString& text) {
            OnEndLabelEditTree(m_treeFolders->itemFromIndex(index), text);
        },
        m_treeFolders));
    m_treeFolders->setMinimumSize(240, 280);

    auto* drives = new QGroupBox(QStringLiteral("Drives"), this);
    drives->setObjectName(QStringLiteral("groupDrives"));
    m_listDrives = new QListWidget(drives);
    m_listDrives->setObjectName(QStringLiteral("listDrives"));
    m_listDrives->setViewMode(QListView::ListMode);
    m_listDrives->setFlow(QListView::LeftToRight);
    m_listDrives->setWrapping(true);
    m_listDrives->setIconSize(QSize(24, 24));
    m_listDrives->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listDrives->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_listDrives, &QListWidget::itemSelectionChanged, this, &CDialogScan::OnClickDriveList);
    connect(m_listDrives, &QListWidget::customContextMenuRequested, this,
            &CDialogScan::OnDriveListMenu);

    m_labelNoDrives = new QLabel(
        QStringLiteral("No drive can be scanned: this computer shows no CD-ROM drive and no "
                       "removable medium. Push \u201cAdd Folder\u2026\u201d to catalogue a "
                       "folder, or \u201cAdd Image\u2026\u201d for a disc image (ISO, or "
                       "CUE/BIN)."),
        drives);
    m_labelNoDrives->setObjectName(QStringLiteral("labelNoDrives"));
    m_labelNoDrives->setWordWrap(true);
    m_labelNoDrives->setAlignment(Qt::AlignCenter);
    m_labelNoDrives->setFrameShape(QFrame::StyledPanel);
    m_stackDrives = new QStackedWidget(drives);
    m_stackDrives->setObjectName(QStringLiteral("stackDrives"));
    m_stackDrives->addWidget(m_listDrives);
    m_stackDrives->addWidget(m_labelNoDrives);
    m_stackDrives->setFixedHeight(84);

    auto* addFolder = new QPushButton(QStringLiteral("Add Folder\u2026"), drives);
    addFolder->setObjectName(QStringLiteral("buttonAddFolder"));
    addFolder->setToolTip(
        QStringLiteral("Catalogue a folder (a USB stick's, a network share's) as a drive"));
    auto* addImage = new QPushButton(QStringLiteral("Add Image\u2026"), drives);
    addImage->setObjectName(QStringLiteral("buttonAddImage"));
    addImage->setToolTip(
        QStringLiteral("Catalogue an ISO image or a CUE/BIN audio image as a CD-ROM drive"));
    // Enter stays "Save Disc" whichever button has the focus.
    for (QPushButton* button : {addFolder, addImage}) button->setAutoDefault(false);
    connect(addFolder, &QPushButton::clicked, this, &CDialogScan::OnButtonAddFolder);
    connect(addImage, &QPushButton::clicked, this, &CDialogScan::OnButtonAddImage);
    auto* addButtons = new QHBoxLayout;
    addButtons->addWidget(addFolder);
    addButtons->addWidget(addImage);
    addButtons->addStretch(1);

    m_labelVolume = new QLabel(drives);
    m_labelVolume->setObjectName(QStringLiteral("labelVolume"));
    m_labelVolume->setTextFormat(Qt::PlainText);
    m_labelVolume->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_labelVolume->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    m_progress = new QProgressBar(drives);
    m_progress->setObjectName(QStringLiteral("progressScan"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    // While the walk runs the bar is a busy bar: how far a walk has come is not known before it
    // ends, and a bar that starts again from 0 reads as going backwards.

    // Remembered from one scan to the next; a backup disc is mostly archives, so it starts on.
    m_checkArchives = new QCheckBox(QStringLiteral("List files inside archives"), drives);
    m_checkArchives->setObjectName(QStringLiteral("checkArchives"));
    m_checkArchives->setToolTip(QStringLiteral(
        "The files inside zip, 7z, rar, tar and cab archives are catalogued in a folder named like "
        "the archive; archives inside archives stay files"));
    m_checkArchives->setChecked(QSettings(QStringLiteral("Ov2"), QStringLiteral("Ov2"))
                                    .value(QStringLiteral("Scan/ListArchives"), true)
                                    .toBool());
    connect(m_checkArchives, &QCheckBox::toggled, this, [](bool on) {
        QSettings(QStringLiteral("Ov2"), QStringLiteral("Ov2"))
            .setValue(QStringLiteral("Scan/ListArchives"), on);
    });

    // Remembered apart for optical discs, where each file read costs a seek, and other media.
    m_checkFingerprint = new QCheckBox(
        QStringLiteral("Fingerprint files (finds the same file on other discs)"), drives);
    m_checkFingerprint->setObjectName(QStringLiteral("checkFingerprint"));
    m_checkFingerprint->setToolTip(QStringLiteral(
        "Each file's first and last 64 KiB are read, so that a copy of it on another disc is "
        "found; slow on CDs and DVDs"));
    connect(m_checkFingerprint, &QCheckBox::clicked, this, [this](bool on) {
        QSettings(QStringLiteral("Ov2"), QStringLiteral("Ov2")).setValue(FingerprintKey(), on);
    });

    m_labelFolder = ScanText(drives, "labelFolder");
    m_labelFile = ScanText(drives, "labelFile");
    m_labelFiles = ScanText(drives, "labelFiles");
    m_labelSize = ScanText(drives, "labelSize");
    auto* texts = new QFormLayout;
    texts->addRow(QStringLiteral("Folder :"), m_labelFolder);
    texts->addRow(QStringLiteral("File :"), m_labelFile);
    texts->addRow(QStringLiteral("Files :"), m_labelFiles);
    texts->addRow(QStringLiteral("CD Size :"), m_labelSize);

    auto* driveColumn = new QVBoxLayout(drives);
    driveColumn->addWidget(m_stackDrives);
    driveColumn->addWidget(m_labelVolume);
    driveColumn->addLayout(addButtons);
    driveColumn->addWidget(m_checkArchives);
    driveColumn->addWidget(m_checkFingerprint);
    driveColumn->addWidget(m_progress);
    driveColumn->addLayout(texts);
    m_labelArchives = new QLabel(drives);
    m_labelArchives->setObjectName(QStringLiteral("labelArchives"));
    m_labelArchives->setWordWrap(true);
    m_labelArchives->setTextFormat(Qt::PlainText);
    m_labelArchives->setTextInteractionFlags(Qt::TextSelectableByMouse);
    driveColumn->addWidget(m_labelArchives);
    driveColumn->addStretch(1);

    m_buttonStartScan =
        ScanButton(this, "buttonStartScan", "Start Scan", nullptr, QStyle::SP_ArrowRight);
    m_buttonAbortScan =
        ScanButton(this, "buttonAbortScan", "Abort Scan", "process-stop", QStyle::SP_BrowserStop);
    m_buttonSaveDisc = ScanButton(this, "buttonSaveDisc", "Save Disc", "document-save",
                                  QStyle::SP_DialogSaveButton);
    connect(m_buttonStartScan, &QToolButton::clicked, this, &CDialogScan::OnButtonStartScan);
    connect(m_buttonAbortScan, &QToolButton::clicked, this, &CDialogScan::OnButtonAbortScan);
    connect(m_buttonSaveDisc, &QToolButton::clicked, this, &CDialogScan::OnButtonSaveDisc);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_buttonStartScan);
    buttons->addWidget(m_buttonAbortScan);
    buttons->addWidget(m_buttonSaveDisc);

    auto* right = new QVBoxLayout;
    right->addWidget(drives, 1);
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_treeFolders, 1);
    layout->addLayout(right);
    resize(600, 360);
}

// ---------------------------------------------------------------- drives

void CDialogScan::ListCdromDrives() {
    m_listDrives->clear();
    // Each drive goes to the top, so the list reads in descending letter order.
    for (const ov2::Drive& drive : ov2::ListDrives()) {
        if (!ov2::IsScannable(drive)) continue;
        const QString root = QString::fromLatin1(std::string{drive.letter, ':', '\\'});
        const QString text =
            drive.label.empty() ? root : root + QLatin1Char(' ') + ov2::DecodeText(drive.label);
        auto* item = new QListWidgetItem(DriveIcon(drive), text);
        item->setToolTip(DriveToolTip(drive));
        item->setData(kDriveRootRole, root);
        item->setData(kAddedDriveRole, drive.added);
        item->setData(kOpticalRole, drive.type == ov2::DriveType::CdRom && !drive.image);
        item->setData(kIsoRole, drive.iso);
        item->setData(kVolumeRole, ov2::ToByteArray(drive.iso ? drive.device : drive.root));
        m_listDrives->insertItem(0, item);
    }
    m_stackDrives->setCurrentWidget(m_listDrives->count() > 0 ? static_cast<QWidget*>(m_listDrives)
                                                               : m_labelNoDrives);
}

void CDialogScan::OnClickDriveList() {
    const QList<QListWidgetItem*> selected = m_listDrives->selectedItems();
    m_strDrive = selected.isEmpty()
                     ? std::string()
                     : ov2::EncodeText(selected.front()->data(kDriveRootRole).toString());
    ShowSelectedDrive();
}

QString CDialogScan::FingerprintKey() const {
    const QList<QListWidgetItem*> selected = m_listDrives->selectedItems();
    const bool optical = !selected.isEmpty() && selected.front()->data(kOpticalRole).toBool();
    return optical ? QStringLiteral("Scan/FingerprintOptical")
                   : QStringLiteral("Scan/FingerprintOther");
}

void CDialogScan::ShowSelectedDrive() {
    const QString key = FingerprintKey();
    // Off for optical discs unless the user chose otherwise: seeks there are slow.
    m_checkFingerprint->setChecked(QSettings(QStringLiteral("Ov2"), QStringLiteral("Ov2"))
                                       .value(key, key.endsWith(QLatin1String("Other")))
                                       .toBool());
    const QList<QListWidgetItem*> selected = m_listDrives->selectedItems();
    ov2::DiscFacts facts;
    if (!selected.isEmpty()) {
        const QByteArray volume = selected.front()->data(kVolumeRole).toByteArray();
        const std::string path(volume.constData(), static_cast<std::size_t>(volume.size()));
        if (!path.empty())
            facts = selected.front()->data(kIsoRole).toBool() ? ov2::ImageVolumeFacts(path)
                                                              : ov2::FolderVolumeFacts(path);
    }
    m_labelVolume->setText(ov2::DecodeText(facts.Summary()));
}

void CDialogScan::OnButtonAddFolder() {
    if (m_bWalking) return;
    if (const QString folder = m_chooseFolder(this); !folder.isEmpty()) AddDrive(folder);
}

void CDialogScan::OnButtonAddImage() {
    if (m_bWalking) return;
    if (const QString image = m_chooseImage(this); !image.isEmpty()) AddDrive(image);
}

void CDialogScan::AddDrive(const QString& path) {
    std::string error;
    const std::optional<ov2::Drive> drive =
        ov2::AddDrive(QFile::encodeName(path).toStdString(), &error);
    if (!drive) {
        ov2::OvMessageBox(error, ov2::MsgButtons::Ok, ov2::MsgIcon::Warning);
        return;
    }
    ListCdromDrives();
    SelectDrive(drive->letter);
}

void CDialogScan::SelectDrive(char letter) {
    const QString root = QString::fromLatin1(std::string{letter, ':', '\\'});
    for (int i = 0; i < m_listDrives->count(); ++i) {
        if (m_listDrives->item(i)->data(kDriveRootRole).toString() == root)
            m_listDrives->setCurrentRow(i);
    }
}

void CDialogScan::SetRescan(char letter) {
    setWindowTitle(QStringLiteral("Rescan Disc ") + ov2::DecodeText(m_strDiscNumber));
    // The disc keeps its name and root line, and its outline must name the folders as they are:
    // no label is edited here.
    m_treeFolders->setEditTriggers(QAbstractItemView::NoEditTriggers);
    if (letter) SelectDrive(letter);
}

void CDialogScan::OnDriveListMenu(const QPoint& position) {
    QListWidgetItem* item = m_listDrives->itemAt(position);
    if (m_bWalking || !item || !item->data(kAddedDriveRole).toBool()) return;
    const char letter = item->data(kDriveRootRole).toString().at(0).toLatin1();
    QMenu menu(this);
    QAction* forget = menu.addAction(QStringLiteral("Forget Drive"));
    forget->setObjectName(QStringLiteral("actionForgetDrive"));
    connect(forget, &QAction::triggered, this, [this, letter] { OnForgetDrive(letter); });
    menu.exec(m_listDrives->viewport()->mapToGlobal(position));
}

void CDialogScan::OnForgetDrive(char letter) {
    ov2::ForgetDrive(letter);
    ListCdromDrives();
    OnClickDriveList();
}

// ---------------------------------------------------------------- the scan

void CDialogScan::OnButtonStartScan() {
    if (m_bWalking) return;
    if (m_strDrive.empty()) {
        ov2::OvMessageBox(
            "Please select first one of your CDRom Drives and then push the Scan Button!");
        return;
    }
    m_bWalking = true;
    m_bAbortRequested = false;
    std::string failure;
    {
        // Input reaches "Abort Scan" alone, and no window closes under the walk.
        const ov2::CInputOnlyFor gate(m_buttonAbortScan);
        const ov2::ScanSource source = ResolveScanSource(m_strDrive.front(), m_services);
        if (source.kind == ov2::ScanSource::Kind::Unmounted) {
            // Walking would record an empty disc; the user can mount it and scan again.
            failure = source.message;
        } else if (!m_bAbortRequested) {  // the user may have aborted while it was mounted
            Walk(source, &failure);
        }
    }
    m_bWalking = false;
    if (m_bAbortRequested) {
        DropScan();
        QDialog::reject();
        return;
    }
    if (!failure.empty()) ov2::OvMessageBox(failure, ov2::MsgButtons::Ok, ov2::MsgIcon::Warning);
}

void CDialogScan::OnButtonAbortScan() {
    if (!m_bWalking) {
        reject();
        return;
    }
    // The walk ends at its next file; "Start Scan" then drops what it recorded and closes.
    m_bAbortRequested = true;
    if (m_pWalk) m_pWalk->Stop();
}

void CDialogScan::Walk(const ov2::ScanSource& source, std::string* failure) {
    m_bScanned = true;
    m_lstScannedFiles.clear();
    m_nFileCount = 0;
    m_dTotalBytes = 0;
    m_bAudioDisc = false;  // it describes this run's records alone
    m_strFiles.clear();
    m_strSize.clear();

    m_folderItems.clear();
    m_treeFolders->clear();
    m_rootItem = new QTreeWidgetItem;
    m_rootItem->setIcon(0, ov2::ThemeIcon("media-optical", QStyle::SP_DriveCDIcon));
    m_rootItem->setFlags(m_rootItem->flags() | Qt::ItemIsEditable);
    // The name chosen so far stays with a new run, and the outline's root line says it too.
    SetItemLabel(m_rootItem, m_strDiscNumber + " " + m_strDiscName);
    m_treeFolders->addTopLevelItem(m_rootItem);
    m_progress->setRange(0, 0);
    ShowProgress(true);

    m_labelArchives->clear();
    CDiscWalk walk(m_strDrive, this);
    walk.SetListArchives(m_checkArchives->isChecked());
    walk.SetFingerprints(m_checkFingerprint->isChecked(), m_knownFingerprint);
    m_volumeFacts = ov2::SourceVolumeFacts(source);
    m_labelVolume->setText(ov2::DecodeText(m_volumeFacts.Summary()));
    m_pWalk = &walk;
    m_folderItems.emplace(&walk.Root(), m_rootItem);
    bool read = true;
    if (source.kind == ov2::ScanSource::Kind::Folder)
        read = walk.WalkFolder(source.root);
    else if (source.kind == ov2::ScanSource::Kind::IsoImage)
        read = walk.WalkIsoImage(source.root);
    else if (source.kind == ov2::ScanSource::Kind::AudioTracks)
        walk.WalkAudioTracks(source.tracks);
    m_progress->setRange(0, 100);
    if (!read || m_bAbortRequested) {
        // A drive that cannot be read is not an empty disc, and a stopped walk is no disc at
        // all: nothing is recorded, and "Save Disc" asks for a scan again.
        if (!read) *failure = ov2::UnreadableMessage(source, walk.RootError());
        m_pWalk = nullptr;
        DropScan();
        return;
    }
    m_nFileCount = walk.FileCount();
    m_dTotalBytes = walk.TotalBytes();
    m_bAudioDisc = walk.IsAudioDisc();
    m_labelArchives->setText(ov2::DecodeText(walk.Archives().Summary()));
    ShowTexts();
    m_pWalk = nullptr;
    m_folderItems.clear();
    m_lstScannedFiles = walk.TakeFiles();

    m_progress->setValue(100);
    m_treeFolders->setCurrentItem(m_rootItem);
    m_rootItem->setExpanded(true);
}

void CDialogScan::DropScan() {
    m_folderItems.clear();
    m_treeFolders->clear();
    m_rootItem = nullptr;
    m_lstScannedFiles.clear();
    m_volumeFacts = ov2::DiscFacts();
    m_bScanned = false;
    m_nFileCount = 0;
    m_dTotalBytes = 0;
    m_bAudioDisc = false;
    m_strFolder.clear();
    m_strFile.clear();
    m_strFiles.clear();
    m_strSize.clear();
    m_labelArchives->clear();
    ShowTexts();
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
}

void CDialogScan::OnFolder(const CDiscWalk::Folder& folder, int index) {
    auto* item = new QTreeWidgetItem;
    // A folder's name is where its files lie on the disc, and opening a file looks there: only
    // the disc's own label is the user's to edit, as in the disc tree.
    item->setIcon(0, folder.archive ? ov2::ThemeIcon("package-x-generic", QStyle::SP_DirClosedIcon)
                                    : ov2::ThemeIcon("folder", QStyle::SP_DirClosedIcon));
    SetItemLabel(item, folder.name);
    m_folderItems.at(folder.parent)->insertChild(index, item);
    m_folderItems.emplace(&folder, item);
    m_strFolder = ov2::DecodeText(folder.name);
    ShowProgress(false);
}

void CDialogScan::OnFile(const COvFileData&) {
    m_nFileCount = m_pWalk->FileCount();
    m_dTotalBytes = m_pWalk->TotalBytes();
    ShowProgress(false);
}

void CDialogScan::ShowProgress(bool now) {
    if (!now && m_refreshClock.isValid() && m_refreshClock.elapsed() < kRefreshIntervalMs) return;
    ShowTexts();
    m_refreshClock.start();
    // Paints, the busy bar, and a click on "Abort Scan"; other input is dropped by the gate.
    QCoreApplication::processEvents();
}

void CDialogScan::ShowTexts() {
    // The texts of the files are written only once a file has been recorded: a disc without
    // files leaves "Files :" and "CD Size :" empty.
    if (m_pWalk && m_nFileCount > 0) {
        m_strFile = ov2::DecodeText(m_pWalk->Files().back()->m_strFileName);
        m_strFiles = QString::number(m_nFileCount);
        m_strSize = QString::fromStdString(FormatSizeText(m_dTotalBytes));
    }
    m_labelFolder->setText(m_strFolder);
    m_labelFile->setText(m_strFile);
    m_labelFiles->setText(m_strFiles);
    m_labelSize->setText(m_strSize);
}

// ---------------------------------------------------------------- naming and saving

void CDialogScan::OnEndLabelEditTree(QTreeWidgetItem* item, const QString& edited) {
    if (!item || !m_rootItem) return;
    std::string text = ov2::EncodeText(edited);
    if (item != m_rootItem) return;
    // "12 Jazz" names the disc "Jazz": a leading number before the first blank is the disc's
    // number, typed along with the name. "0 Jazz" and "Jazz 12" stay whole.
    const std::size_t blank = text.find(' ');
    if (blank != std::string::npos && ParseLeadingInt(std::string_view(text).substr(0, blank)) != 0)
        text.erase(0, blank + 1);
    if (text.empty()) text = m_strDiscName;
    SetItemLabel(m_rootItem, m_strDiscNumber + " " + text);
    m_strDiscName = text;
}

void CDialogScan::OnButtonSaveDisc() {
    if (m_bWalking) return;
    if (!m_bScanned) {
        ov2::OvMessageBox("Please, scan the CD first.");
        return;
    }
    SaveDisc();
}

void CDialogScan::SaveDisc() {
    for (auto& file : m_lstScannedFiles) m_pDisc->m_lstFiles.push_back(std::move(file));
    m_lstScannedFiles.clear();
    m_pDisc->m_strNumber = m_strDiscNumber;
    m_pDisc->m_strName = m_strDiscName;
    m_pDisc->m_strSavedAt = ov2::TodayText();
    m_pDisc->m_strLocation = "home";
    m_pDisc->m_facts = m_volumeFacts;
    WriteFolderOutline(*m_pDisc);
    accept();
}

void CDialogScan::WriteFolderOutline(COvDisc& disc) const {
    std::string outline(disc.m_strFolderTree.view());
    // Pre-order over the items, from the bytes each keeps; the root line cannot split.
    std::vector<std::pair<const QTreeWidgetItem*, int>> pending;
    for (int i = m_treeFolders->topLevelItemCount() - 1; i >= 0; --i)
        pending.emplace_back(m_treeFolders->topLevelItem(i), 0);
    while (!pending.empty()) {
        const auto [item, depth] = pending.back();
        pending.pop_back();
        const QByteArray bytes = item->data(0, kNameRole).toByteArray();
        const std::string_view label(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        CDiscWalk::AppendOutlineLine(
            outline, depth,
            depth == 0 ? COvDiscDatabase::OutlineSafeName(label) : std::string(label));
        for (int i = item->childCount() - 1; i >= 0; --i)
            pending.emplace_back(item->child(i), depth + 1);
    }
    disc.m_strFolderTree = outline;
}

void CDialogScan::SetItemLabel(QTreeWidgetItem* item, const std::string& label) {
    item->setData(0, kNameRole, ov2::ToByteArray(label));
    item->setText(0, ov2::DecodeText(label));
}

// ---------------------------------------------------------------- closing

void CDialogScan::reject() {
    if (m_bWalking) return;  // the walk runs to its end first
    QDialog::reject();
}

void CDialogScan::closeEvent(QCloseEvent* event) {
    if (m_bWalking) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CDialogScan::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (!enter || mods != Qt::NoModifier) {
        QDialog::keyPressEvent(event);
        return;
    }
    OnButtonSaveDisc();
}
