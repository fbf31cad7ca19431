#include "app/dialog_sheet_cddb.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/save_catalogue_now.h"
#include "cddb/flag_icons.h"
#include "cddb/freedb_servers.h"
#include "core/map_string_to_string.h"
#include "platform/text.h"

CDialogSheetCddb::CDialogSheetCddb(COvDiscDatabase* database, const QString& docPath,
                                   CMapStringToString* serverSettings, QWidget* parent)
    : QWidget(parent),
      m_pDatabase(database),
      m_strDocPath(docPath),
      m_pServerSettings(serverSettings) {
    setObjectName(QStringLiteral("pageCddb"));
    auto* group = new QGroupBox(QStringLiteral("CDDB Options"), this);
    auto* form = new QFormLayout;
    m_comboSite = new QComboBox(group);
    m_comboSite->setObjectName(QStringLiteral("comboSite"));
    m_comboSite->setEditable(true);
    m_comboSite->setInsertPolicy(QComboBox::NoInsert);
    m_comboSite->setIconSize(QSize(18, 12));
    m_comboSite->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    form->addRow(QStringLiteral("freedb Site:"), m_comboSite);
    m_editHello = new QLineEdit(group);
    m_editHello->setObjectName(QStringLiteral("editHello"));
    m_editHello->setPlaceholderText(QStringLiteral("user@example.org"));
    m_editHello->setToolTip(
        QStringLiteral("The freedb server asks every program for a contact address."));
    form->addRow(QStringLiteral("E-mail for freedb:"), m_editHello);

    auto* defaultSite = new QPushButton(QStringLiteral("Defualt Site"), group);
    defaultSite->setObjectName(QStringLiteral("buttonDefaultSite"));
    auto* save = new QPushButton(QStringLiteral("Save"), group);
    save->setObjectName(QStringLiteral("buttonSaveCddb"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(defaultSite);
    buttons->addWidget(save);
    buttons->addStretch();

    auto* inner = new QVBoxLayout(group);
    inner->addLayout(form);
    inner->addLayout(buttons);
    inner->addStretch();
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(group);

    OnInitDialog();
    // Both a choice from the list and typing give the site the buttons act on.
    connect(m_comboSite, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { m_strSite = text; });
    connect(defaultSite, &QPushButton::clicked, this, &CDialogSheetCddb::OnButtonDefaultSite);
    connect(save, &QPushButton::clicked, this, &CDialogSheetCddb::OnButtonSaveCddb);
}

void CDialogSheetCddb::OnInitDialog() {
    const std::vector<std::string>& sites = ov2::FreedbSites();
    m_strSite = QString::fromStdString(sites.front());
    if (m_pServerSettings) {
        if (const std::string* active = m_pServerSettings->m_map.Lookup("active"))
            m_strSite = ov2::DecodeText(*active);
        if (const std::string* hello = m_pServerSettings->m_map.Lookup("hello"))
            m_editHello->setText(ov2::DecodeText(*hello));
    }
    for (std::size_t i = 0; i < sites.size(); ++i)
        m_comboSite->addItem(ov2::FreedbFlagIcon(static_cast<int>(i)),
                             QString::fromStdString(sites[i]), static_cast<int>(i));
    // Private servers the user typed into the lookup dialog are offered here too.
    for (const std::string& typed : ov2::TypedFreedbSites())
        if (m_comboSite->findText(QString::fromStdString(typed), Qt::MatchExactly) < 0)
            m_comboSite->addItem(QString::fromStdString(typed));
    // The active site may be one the user typed, which is not in the list.
    m_comboSite->setCurrentIndex(m_comboSite->findText(m_strSite, Qt::MatchExactly));
    m_comboSite->setEditText(m_strSite);
}

void CDialogSheetCddb::StoreHello() {
    if (!m_pServerSettings) return;
    const QString hello = m_editHello->text().trimmed();
    if (hello.isEmpty())
        m_pServerSettings->m_map.RemoveKey("hello");
    else
        m_pServerSettings->m_map.SetAt("hello", ov2::EncodeText(hello));
}

void CDialogSheetCddb::OnButtonDefaultSite() {
    if (m_strSite.isEmpty() || !m_pServerSettings) return;
    m_pServerSettings->m_map.SetAt("active", ov2::EncodeText(m_strSite));
}

void CDialogSheetCddb::OnButtonSaveCddb() {
    if (ov2::RefuseUnsavedCatalogue(m_strDocPath) || !m_pDatabase) return;
    StoreHello();
    ov2::SaveCatalogueNow(*m_pDatabase, m_strDocPath);
}
