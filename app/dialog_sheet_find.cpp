#include "app/dialog_sheet_find.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "find/find_settings.h"

CDialogSheetFind::CDialogSheetFind(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pageFind"));
    auto* group = new QGroupBox(
        QStringLiteral("Find also searches these catalogues, whichever one is open"), this);
    m_list = new QListWidget(group);
    m_list->setObjectName(QStringLiteral("findCatalogues"));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setMaximumHeight(m_list->fontMetrics().height() *
                             8);  // a few files; the sheet stays small
    auto* add = new QPushButton(QStringLiteral("Add…"), group);
    add->setObjectName(QStringLiteral("buttonFindAdd"));
    auto* remove = new QPushButton(QStringLiteral("Remove"), group);
    remove->setObjectName(QStringLiteral("buttonFindRemove"));
    m_recent = new QCheckBox(QStringLiteral("Also search the recent catalogues"), group);
    m_recent->setObjectName(QStringLiteral("checkFindRecent"));

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(m_list, 1);
    row->addLayout(buttons);
    auto* inner = new QVBoxLayout(group);
    inner->addLayout(row, 1);
    inner->addWidget(m_recent);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(group);

    const ov2::find::CFindSettings settings = ov2::find::CFindSettings::Load();
    for (const QString& path : settings.catalogues) m_list->addItem(QDir::toNativeSeparators(path));
    m_recent->setChecked(settings.searchRecent);

    m_askFiles = [this] {
        return QFileDialog::getOpenFileNames(this, QStringLiteral("Add Catalogues"), QString(),
                                             QStringLiteral("Ov2 Files (*.ovd)"));
    };
    connect(add, &QPushButton::clicked, this, &CDialogSheetFind::OnButtonAdd);
    connect(remove, &QPushButton::clicked, this, &CDialogSheetFind::OnButtonRemove);
}

void CDialogSheetFind::OnButtonAdd() {
    if (!m_askFiles) return;
    for (const QString& chosen : m_askFiles()) {
        const QString path = QDir::toNativeSeparators(QFileInfo(chosen).absoluteFilePath());
        if (!chosen.isEmpty() && m_list->findItems(path, Qt::MatchExactly).isEmpty())
            m_list->addItem(path);
    }
}

void CDialogSheetFind::OnButtonRemove() {
    qDeleteAll(m_list->selectedItems());
}

void CDialogSheetFind::Store() const {
    ov2::find::CFindSettings settings;
    for (int i = 0; i < m_list->count(); ++i)
        settings.catalogues << QDir::fromNativeSeparators(m_list->item(i)->text());
    settings.searchRecent = m_recent->isChecked();
    settings.Save();
}
