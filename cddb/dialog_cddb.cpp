#include "cddb/dialog_cddb.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
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
    for (QLabel* value : {m_labelArtist, m_labelAlbum, m_labelYear}) value->setMinimumWidth(200);
    auto* entry = new QFormLayout;
    entry->addRow(QStringLiteral("Artist / Band Name:"), m_labelArtist);
    entry->addRow(QStringLiteral("Album Title:"), m_labelAlbum);
    entry->addRow(QStringLiteral("Release Year:"), m_labelYear);
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
    column->addWidget(buttons);
    resize(640, 480);
}

int CDialogCddb::exec() {
    OnInitDialog();
    return QDialog::exec();
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

    // The category list comes from the default mirror each time; without it the user can still
    // type a category or leave "automatic".
    std::vector<std::string> names;
    CFreedbClient mirror(std::string(), Hello());
    if (!mirror.ListCategories(names)) ShowTransferError(mirror.m_strError);
    names.push_back("automatic");
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    m_comboCategory->clear();
    for (const std::string& name : names) m_comboCategory->addItem(ov2::DecodeText(name));

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
    m_checkReplaceName->setChecked(m_bReplaceName);
    m_checkReplaceArtist->setChecked(m_bReplaceArtist);
}

void CDialogCddb::OnButtonStart() {
    UpdateData(true);
    m_strArtist.clear();
    m_strAlbumTitle.clear();
    m_strYear.clear();
    m_listTracks->clear();
    UpdateData(false);

    CAudioCdInfo disc;
    if (!disc.LoadFromDrive(m_strDrive)) return;
    CFreedbClient client(ov2::SiteHost(m_strSite), Hello());
    const std::optional<std::string> match = client.Query(disc);
    if (!match) {
        ShowTransferError(client.m_strError);
        return;
    }
    if (*match == "failure") {
        ov2::OvMessageBox("This CD couldn't be found in the FreeDB CD database.",
                          ov2::MsgButtons::Ok, ov2::MsgIcon::Information);
        UpdateData(false);
        return;
    }
    const std::optional<CFreedbDiscInfo> info =
        client.Read(m_strCategory == "automatic" ? *match : m_strCategory, disc);
    if (!info) {
        ShowTransferError(client.m_strError);
        return;
    }
    m_strArtist = info->m_strArtist;
    m_strAlbumTitle = info->m_strAlbumTitle;
    m_strYear = info->m_strYear;
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
