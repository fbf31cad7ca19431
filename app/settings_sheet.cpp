#include "app/settings_sheet.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "app/dialog_sheet_active_list.h"
#include "app/dialog_sheet_cddb.h"
#include "app/dialog_sheet_find.h"
#include "core/map_string_to_ob.h"
#include "core/map_string_to_string.h"
#include "core/string_list.h"
#include "widgets/theme_icons.h"

namespace {

template <class Object>
Object* SettingsEntry(CMapStringToOb* settings, std::string_view key) {
    if (!settings) return nullptr;
    auto* entry = settings->m_map.Lookup(key);
    // A catalogue file may hold anything under a key; only the expected kind is used.
    return entry ? dynamic_cast<Object*>(entry->get()) : nullptr;
}

}  // namespace

CSettingsSheet::CSettingsSheet(CMapStringToOb* settings, const QString& docPath,
                               COvDiscDatabase* database, QWidget* parent)
    : QDialog(parent), m_pSettings(settings), m_strDocPath(docPath), m_pDatabase(database) {
    setObjectName(QStringLiteral("settingsSheet"));
    setWindowTitle(QStringLiteral("Orvella Settings"));

    m_pageList = new QListWidget(this);
    m_pageList->setObjectName(QStringLiteral("pageList"));
    m_pageList->setViewMode(QListView::IconMode);
    m_pageList->setIconSize(QSize(32, 32));
    m_pageList->setMovement(QListView::Static);
    m_pageList->setFlow(QListView::TopToBottom);
    m_pageList->setGridSize(QSize(88, 64));
    m_pageList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pageList->setFixedWidth(96);
    const QIcon cddbIcon = ov2::ThemeIcon("applications-internet", QStyle::SP_DriveNetIcon);
    const QIcon searchIcon = ov2::ThemeIcon("system-search", QStyle::SP_FileDialogContentsView);
    new QListWidgetItem(searchIcon, QStringLiteral("Search"), m_pageList);
    new QListWidgetItem(cddbIcon, QStringLiteral("CDDB"), m_pageList);

    m_pageCddb = new CDialogSheetCddb(database, docPath,
                                      SettingsEntry<CMapStringToString>(settings, "CDDB"), this);
    m_pageLists = new CDialogSheetActiveList(database, docPath, this);
    m_pageFind = new CDialogSheetFind(this);
    if (auto* search = SettingsEntry<CStringList>(settings, "SearchCombo"))
        m_pageLists->m_lstSearch = search->m_strings;
    if (auto* lend = SettingsEntry<CStringList>(settings, "LendCombo"))
        m_pageLists->m_lstLend = lend->m_strings;

    // Both pages share one place; only one shows at a time.
    auto* pages = new QGridLayout;
    pages->addWidget(m_pageCddb, 0, 0);
    pages->addWidget(m_pageLists, 0, 0);
    pages->addWidget(m_pageFind, 1, 0);

    auto* banner = new QGroupBox(this);
    banner->setObjectName(QStringLiteral("banner"));
    auto* bannerIcon = new QLabel(banner);
    bannerIcon->setPixmap(
        ov2::ThemeIcon("preferences-system", QStyle::SP_FileDialogDetailedView).pixmap(32, 32));
    auto* bannerLayout = new QHBoxLayout(banner);
    bannerLayout->addWidget(bannerIcon);
    bannerLayout->addWidget(new QLabel(QStringLiteral("Settings of this catalogue"), banner), 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSettingsSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSettingsSheet::reject);
    connect(m_pageList, &QListWidget::itemClicked, this, &CSettingsSheet::OnClickPageList);

    auto* right = new QVBoxLayout;
    right->addWidget(banner);
    right->addLayout(pages, 1);
    auto* body = new QHBoxLayout;
    body->addWidget(m_pageList);
    body->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(buttons);

    // Room for a few history entries at a glance and the longest site text.
    resize(sizeHint().expandedTo(QSize(640, 400)));
    ShowPage(m_pageCddb);
    m_bInitialized = true;
}

void CSettingsSheet::ShowPage(QWidget* page) {
    m_pageCddb->setVisible(page == m_pageCddb);
    m_pageLists->setVisible(page == m_pageLists);
    m_pageFind->setVisible(page == m_pageLists);
    const QString entry = page == m_pageCddb ? QStringLiteral("CDDB") : QStringLiteral("Search");
    const QList<QListWidgetItem*> items = m_pageList->findItems(entry, Qt::MatchExactly);
    if (!items.isEmpty()) m_pageList->setCurrentItem(items.first());
}

void CSettingsSheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Each opening starts on the server page.
    ShowPage(m_pageCddb);
}

void CSettingsSheet::OnClickPageList(QListWidgetItem* item) {
    if (!item) return;
    if (item->text() == QLatin1String("CDDB"))
        ShowPage(m_pageCddb);
    else if (item->text() == QLatin1String("Search"))
        ShowPage(m_pageLists);
}

void CSettingsSheet::accept() {
    if (auto* search = SettingsEntry<CStringList>(m_pSettings, "SearchCombo"))
        search->m_strings = m_pageLists->m_lstSearch;
    if (auto* lend = SettingsEntry<CStringList>(m_pSettings, "LendCombo"))
        lend->m_strings = m_pageLists->m_lstLend;
    m_pageCddb->StoreHello();
    m_pageFind->Store();
    QDialog::accept();
}
