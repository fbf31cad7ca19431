#include "cddb/dialog_cddb.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QAbstractItemView>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "cddb/flag_icons.h"
#include "cddb/freedb_client.h"
#include "cddb/freedb_servers.h"
#include "core/map_string_to_string.h"
#include "platform/audio_cd_info.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "widgets/theme_icons.h"
#include "widgets/value_label.h"

namespace {

void AddSong(QTreeWidget* list, const QString& text) {
    static const QIcon song = ov2::ThemeIcon("audio-x-generic", QStyle::SP_MediaPlay);
    (new QTreeWidgetItem(list, {text}))->setIcon(0, song);
}

void ShowTransferError(const std::string& error) {
    ov2::OvMessageBox(error, ov2::MsgButtons::Ok, ov2::MsgIcon::Error);
}

// Category-list entries that stand for a match of the query carry its category and disc id.
constexpr int kMatchRole = Qt::UserRole + 1;

QString MatchText(const CFreedbClient::Match& match) {
    return QString::fromStdString(match.m_strCategory + " " + match.m_strDiscId + " " +
                                  match.m_strTitle);
}

}  // namespace

CDialogCddb::CDialogCddb(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CDialogCddb"));
    setWindowTitle(QStringLiteral("CDDB Dialog"));

    m_labelNumber = ov2::ValueLabel(this, "labelDiscNumber");
    m_labelName = ov2::ValueLabel(this, "labelDiscName");
    auto* disc = new QFormLayout;
    disc->addRow(QStringLiteral("CD :"), m_labelNumber);
    disc->addRow(QStringLiteral("CD Name :"), m_labelName);

    m_comboSite = new QComboBox(this);
    m_comboSite->setObjectName(QStringLiteral("comboSite"));
    m_comboSite->setEditable(true);
    m_comboSite->setIconSize(QSize(18, 12));
    m_comboCategory = new QComboBox(this);
    m_comboCategory->setObjectName(QStringLiteral("comboCategory"));
    m_comboCategory->setEditable(true);
    auto* start = new QPushButton(ov2::ThemeIcon("system-search", QStyle::SP_BrowserReload),
                                  QStringLiteral("Start"), this);
    start->setObjectName(QStringLiteral("buttonStart"));
    start->setAutoDefault(false);
    start->setToolTip(QStringLiteral("Look the CD up on the selected site"));
    connect(start, &QPushButton::clicked, this, &CDialogCddb::OnButtonStart);
    auto* server = new QVBoxLayout;
    server->addWidget(new QLabel(QStringLiteral("Select the nearest site:"), this));
    server->addWidget(m_comboSite);
    server->addWidget(new QLabel(QStringLiteral("Select Category:"), this));
    auto* categoryRow = new QHBoxLayout;
    categoryRow->addWidget(m_comboCategory, 1);
    categoryRow->addWidget(start);
    server->addLayout(categoryRow);

    auto* information = new QGroupBox(QStringLiteral("CD Information"), this);
    m_listTracks = new QTreeWidget(information);
    m_listTracks->setObjectName(QStringLiteral("listTracks"));
    m_listTracks->setRootIsDecorated(false);
    m_listTracks->setUniformRowHeights(true);
    m_listTracks->setHeaderLabels({QStringLiteral("Song")});
    m_listTracks->setColumnWidth(0, 220);
    m_labelArtist = ov2::ValueLabel(information, "labelArtist");
    m_labelAlbum = ov2::ValueLabel(information, "labelAlbumTitle");
    m_labelYear = ov2::ValueLabel(information, "labelYear");
    m_labelGenre = ov2::ValueLabel(information, "labelGenre");
    for (QLabel* value : {m_labelArtist, m_labelAlbum}) value->setMinimumWidth(200);
    m_labelYear->setMinimumWidth(50);
    m_labelGenre->setMinimumWidth(80);
    auto* yearAndGenre = new QHBoxLayout;
    yearAndGenre->addWidget(m_labelYear, 1);
    yearAndGenre->addWidget(new QLabel(QStringLiteral("Genre:"), information));
    yearAndGenre->addWidget(m_labelGenre, 2);
    auto* entry = new QFormLayout;
    entry->addRow(QStringLiteral("Artist / Band Name:"), m_labelArtist);
    entry->addRow(QStringLiteral("Album Title:"), m_labelAlbum);
    entry->addRow(QStringLiteral("Release Year:"), yearAndGenre);
    auto* informationLayout = new QHBoxLayout(information);
    informationLayout->addWidget(m_listTracks, 1);
    informationLayout->addLayout(entry);

    auto* options = new QGroupBox(QStringLiteral("Options"), this);
    m_checkReplaceName = new QCheckBox(QStringLiteral("Replace CD Name with Album Title"), options);
    m_checkReplaceName->setObjectName(QStringLiteral("checkReplaceName"));
    m_checkReplaceArtist =
        new QCheckBox(QStringLiteral("Replace Artist Info with Album Artist / Year"), options);
    m_checkReplaceArtist->setObjectName(QStringLiteral("checkReplaceArtist"));
    auto* optionsLayout = new QVBoxLayout(options);
    optionsLayout->addWidget(m_checkReplaceName);
    optionsLayout->addWidget(m_checkReplaceArtist);

    // What the last Start found beyond the fields: several entries, close matches.
    m_labelStatus = new QLabel(this);
    m_labelStatus->setObjectName(QStringLiteral("labelStatus"));
    m_labelStatus->setTextFormat(Qt::PlainText);
    m_labelStatus->setWordWrap(true);
    m_labelStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_busy = new QWidget(this);
    m_busy->setObjectName(QStringLiteral("busyTransfer"));
    m_labelBusy = new QLabel(m_busy);
    m_labelBusy->setTextFormat(Qt::PlainText);
    auto* bar = new QProgressBar(m_busy);
    bar->setObjectName(QStringLiteral("progressTransfer"));
    bar->setRange(0, 0);  // how long the server takes is unknown
    bar->setTextVisible(false);
    auto* stop = new QPushButton(QStringLiteral("Cancel"), m_busy);
    stop->setObjectName(QStringLiteral("buttonCancelTransfer"));
    stop->setAutoDefault(false);
    stop->setShortcut(QKeySequence(Qt::Key_Escape));
    stop->setToolTip(QStringLiteral("Stop waiting for the server"));
    connect(stop, &QPushButton::clicked, this, [this] {
        if (m_pClient) m_pClient->Cancel();
    });
    auto* busyLayout = new QHBoxLayout(m_busy);
    busyLayout->setContentsMargins(0, 0, 0, 0);
    busyLayout->addWidget(m_labelBusy);
    busyLayout->addWidget(bar, 1);
    busyLayout->addWidget(stop);
    // The dialog keeps its layout while the bar comes and goes.
    QSizePolicy keep = m_busy->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_busy->setSizePolicy(keep);
    m_busy->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDialogCddb::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addLayout(disc, 1);
    top->addLayout(server, 1);
    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addWidget(information, 1);
    column->addWidget(options);
    column->addWidget(m_labelStatus);
    column->addWidget(m_busy);
    column->addWidget(buttons);
    resize(640, 480);
}

int CDialogCddb::exec() {
    OnInitDialog();
    // The dialog shows before the category list arrives, so that a slow server is seen waited
    // for and can be given up.
    setWindowModality(Qt::ApplicationModal);
    show();
    LoadCategories();
    return QDialog::exec();
}

template <class Work>
bool CDialogCddb::Transfer(CFreedbClient& client, Work work) {
    client.m_pInputOpen = m_busy;
    m_pClient = &client;
    m_labelBusy->setText(
        QStringLiteral("Waiting for %1 …").arg(QString::fromStdString(client.m_strServer)));
    m_busy->show();
    // The focus goes back where it was in the dialog; a widget elsewhere may be gone by then.
    const QPointer<QWidget> focus =
        isAncestorOf(QApplication::focusWidget()) ? QApplication::focusWidget() : nullptr;
    m_busy->findChild<QPushButton*>()->setFocus();
    // OK and the dialog's Cancel wait too; greyed, they do not look like the way out.
    QWidget* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttons"));
    buttons->setEnabled(false);
    const bool done = work();
    buttons->setEnabled(true);
    m_pClient = nullptr;
    m_busy->hide();
    if (focus) focus->setFocus();
    if (!done && !client.m_bCancelled) ShowTransferError(client.m_strError);
    return done;
}

void CDialogCddb::LoadCategories() {
    // Each time from the central server; without it the user can still type a category or
    // leave "automatic".
    std::vector<std::string> names;
    CFreedbClient central(std::string(), Hello());
    if (!Transfer(central, [&] { return central.ListCategories(names); }) && central.m_bCancelled)
        m_labelStatus->setText(QStringLiteral("The category list was not loaded."));
    const QString typed = m_comboCategory->currentText();
    for (const std::string& name : names)
        if (m_comboCategory->findText(ov2::DecodeText(name), Qt::MatchExactly) < 0)
            m_comboCategory->addItem(ov2::DecodeText(name));
    m_comboCategory->model()->sort(0);
    m_comboCategory->setEditText(typed);
}

void CDialogCddb::ShowMatches(const CFreedbClient& client) {
    for (int i = m_comboCategory->count() - 1; i >= 0; --i)
        if (m_comboCategory->itemData(i, kMatchRole).isValid()) m_comboCategory->removeItem(i);
    const QString typed = m_comboCategory->currentText();
    // One exact match needs no choice.
    if (client.m_bExactMatches && client.m_lstMatches.size() < 2) return;
    int row = 0;
    for (const CFreedbClient::Match& match : client.m_lstMatches) {
        m_comboCategory->insertItem(row, MatchText(match));
        m_comboCategory->setItemData(row++,
                                     QStringList{QString::fromStdString(match.m_strCategory),
                                                 QString::fromStdString(match.m_strDiscId)},
                                     kMatchRole);
    }
    // The list opens wide enough for a whole match line.
    m_comboCategory->view()->setMinimumWidth(m_comboCategory->view()->sizeHintForColumn(0) + 24);
    m_comboCategory->setEditText(typed);
}

std::string CDialogCddb::Hello() const {
    const std::string* hello =
        m_pServerSettings ? m_pServerSettings->m_map.Lookup("hello") : nullptr;
    return hello ? *hello : std::string();
}

void CDialogCddb::OnInitDialog() {
    if (m_pServerSettings)
        if (const std::string* active = m_pServerSettings->m_map.Lookup("active"))
            m_strSite = *active;
    m_comboSite->clear();
    const std::vector<std::string>& sites = ov2::FreedbSites();
    for (std::size_t i = 0; i < sites.size(); ++i)
        m_comboSite->addItem(ov2::FreedbFlagIcon(static_cast<int>(i)),
                             QString::fromStdString(sites[i]));

    for (const std::string& site : ov2::TypedFreedbSites())
        if (m_comboSite->findText(QString::fromStdString(site), Qt::MatchExactly) < 0)
            m_comboSite->addItem(QString::fromStdString(site));
    m_comboCategory->clear();
    m_comboCategory->addItem(QStringLiteral("automatic"));
    m_labelStatus->clear();

    m_listTracks->clear();
    CAudioCdInfo disc;
    if (disc.LoadFromDrive(m_strDrive))
        for (int i = 1; i <= disc.GetTrackCount(); ++i)
            AddSong(m_listTracks, QStringLiteral("Track %1").arg(i, 2, 10, QLatin1Char('0')));
    if (m_strDiscNumber.empty()) {
        m_bReplaceName = m_bReplaceArtist = false;
        m_checkReplaceName->setEnabled(false);
        m_checkReplaceArtist->setEnabled(false);
    }
    UpdateData(false);
}

void CDialogCddb::UpdateData(bool bSaveAndValidate) {
    if (bSaveAndValidate) {
        m_strSite = ov2::EncodeText(m_comboSite->currentText());
        m_strCategory = ov2::EncodeText(m_comboCategory->currentText());
        m_bReplaceName = m_checkReplaceName->isChecked();
        m_bReplaceArtist = m_checkReplaceArtist->isChecked();
        return;
    }
    m_labelNumber->setText(ov2::DecodeText(m_strDiscNumber));
    m_labelName->setText(ov2::DecodeText(m_strDiscName));
    // A site of the list shows its flag; any other text (a private server) shows none.
    const QString site = ov2::DecodeText(m_strSite);
    m_comboSite->setCurrentIndex(m_comboSite->findText(site));
    m_comboSite->setEditText(site);
    m_comboCategory->setEditText(ov2::DecodeText(m_strCategory));
    m_labelArtist->setText(ov2::DecodeText(m_strArtist));
    m_labelAlbum->setText(ov2::DecodeText(m_strAlbumTitle));
    m_labelYear->setText(ov2::DecodeText(m_strYear));
    m_labelGenre->setText(ov2::DecodeText(m_strGenre));
    m_checkReplaceName->setChecked(m_bReplaceName);
    m_checkReplaceArtist->setChecked(m_bReplaceArtist);
}

void CDialogCddb::OnButtonStart() {
    if (m_pClient) return;  // one transfer at a time
    UpdateData(true);
    m_strArtist.clear();
    m_strAlbumTitle.clear();
    m_strYear.clear();
    m_strGenre.clear();
    m_listTracks->clear();
    m_labelStatus->clear();
    UpdateData(false);

    CAudioCdInfo disc;
    if (!disc.LoadFromDrive(m_strDrive)) return;
    ov2::RememberTypedFreedbSite(m_strSite);
    CFreedbClient client(ov2::SiteHost(m_strSite), Hello());

    // A match picked from the list is read as it is; otherwise the query decides.
    std::string category = m_strCategory, discId;
    const int picked = m_comboCategory->findText(ov2::DecodeText(m_strCategory), Qt::MatchExactly);
    const QStringList match =
        picked >= 0 ? m_comboCategory->itemData(picked, kMatchRole).toStringList() : QStringList();
    if (match.size() == 2) {
        category = match[0].toStdString();
        discId = match[1].toStdString();
    } else {
        std::optional<std::string> found;
        if (!Transfer(client, [&] { return (found = client.Query(disc)).has_value(); })) return;
        ShowMatches(client);
        if (*found == "failure") {
            if (!client.m_bExactMatches && !client.m_lstMatches.empty()) {
                QString candidates;
                for (const CFreedbClient::Match& close : client.m_lstMatches)
                    candidates += QStringLiteral("\n") + MatchText(close);
                m_labelStatus->setText(
                    QStringLiteral("No exact match. Close matches (pick one under Select "
                                   "Category and press Start):") +
                    candidates);
                return;
            }
            ov2::OvMessageBox("This CD couldn't be found in the FreeDB CD database.",
                              ov2::MsgButtons::Ok, ov2::MsgIcon::Information);
            UpdateData(false);
            return;
        }
        if (m_strCategory == "automatic") {
            category = *found;
            discId = client.m_lstMatches.front().m_strDiscId;
        }
        if (client.m_lstMatches.size() > 1)
            m_labelStatus->setText(
                QStringLiteral("%1 entries match this CD; the first is shown. Pick another under "
                               "Select Category and press Start.")
                    .arg(client.m_lstMatches.size()));
    }
    std::optional<CFreedbDiscInfo> info;
    if (!Transfer(client, [&] { return (info = client.Read(category, disc, discId)).has_value(); }))
        return;
    m_strArtist = info->m_strArtist;
    m_strAlbumTitle = info->m_strAlbumTitle;
    m_strYear = info->m_strYear;
    m_strGenre = info->m_strGenre;
    for (const std::string& title : info->m_lstTrackTitles)
        AddSong(m_listTracks, ov2::DecodeText(title));
    UpdateData(false);
}

void CDialogCddb::accept() {
    UpdateData(true);
    if (m_strArtist.empty()) m_strStatus = "noData";
    m_arrTrackTitles.clear();
    for (int i = 0; i < m_listTracks->topLevelItemCount(); ++i)
        m_arrTrackTitles.push_back(ov2::EncodeText(m_listTracks->topLevelItem(i)->text(0)));
    QDialog::accept();
}
