#include "app/dialog_sheet_active_list.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/save_catalogue_now.h"
#include "catalog_ops/list_sort.h"
#include "core/disc_database.h"
#include "core/map_string_to_ob.h"
#include "core/string_list.h"
#include "platform/message_box.h"
#include "platform/text.h"

namespace {

// The entry itself rides with its row: a text shown from an old catalogue's bytes would not
// give those bytes back.
constexpr int kEntryRole = Qt::UserRole;

}  // namespace

CDialogSheetActiveList::CDialogSheetActiveList(COvDiscDatabase* database, const QString& docPath,
                                               QWidget* parent)
    : QWidget(parent), m_pDatabase(database), m_strDocPath(docPath) {
    setObjectName(QStringLiteral("pageLists"));
    auto* group = new QGroupBox(QStringLiteral("List Options"), this);
    m_comboList = new QComboBox(group);
    m_comboList->setObjectName(QStringLiteral("comboList"));
    // Shown sorted, as "Lend", "Search"; nothing is chosen until the user picks a list.
    m_comboList->addItems({QStringLiteral("Lend"), QStringLiteral("Search")});
    m_comboList->setCurrentIndex(-1);
    m_comboList->setPlaceholderText(QStringLiteral("List"));
    m_listBox = new QListWidget(group);
    m_listBox->setObjectName(QStringLiteral("listEntries"));
    m_listBox->setSelectionMode(QAbstractItemView::ExtendedSelection);

    auto* remove = new QPushButton(QStringLiteral("Remove"), group);
    remove->setObjectName(QStringLiteral("buttonRemove"));
    auto* removeAll = new QPushButton(QStringLiteral("Remove All"), group);
    removeAll->setObjectName(QStringLiteral("buttonRemoveAll"));
    auto* save = new QPushButton(QStringLiteral("Save"), group);
    save->setObjectName(QStringLiteral("buttonSaveLists"));
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_comboList);
    buttons->addWidget(remove);
    buttons->addWidget(removeAll);
    buttons->addStretch();
    buttons->addWidget(save);

    auto* inner = new QHBoxLayout(group);
    inner->addWidget(m_listBox, 1);
    inner->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(group);

    connect(m_comboList, &QComboBox::activated, this, &CDialogSheetActiveList::OnSelendokComboList);
    connect(remove, &QPushButton::clicked, this, &CDialogSheetActiveList::OnButtonRemove);
    connect(removeAll, &QPushButton::clicked, this, &CDialogSheetActiveList::OnButtonRemoveAll);
    connect(save, &QPushButton::clicked, this, &CDialogSheetActiveList::OnButtonSaveLists);
}

std::vector<std::string>* CDialogSheetActiveList::ChosenList() {
    if (m_strList == QLatin1String("Search")) return &m_lstSearch;
    if (m_strList == QLatin1String("Lend")) return &m_lstLend;
    return nullptr;
}

void CDialogSheetActiveList::FillListBox() {
    m_listBox->clear();
    const std::vector<std::string>* list = ChosenList();
    if (!list) return;
    std::vector<std::pair<QString, const std::string*>> rows;
    for (const std::string& entry : *list) rows.emplace_back(ov2::DecodeText(entry), &entry);
    // The list shows the entries in alphabetical order, without regard to case.
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        return ov2::CompareSortTexts(ov2::SortKind::Text, a.first, b.first) < 0;
    });
    for (const auto& [text, entry] : rows) {
        auto* item = new QListWidgetItem(text, m_listBox);
        item->setData(kEntryRole, QByteArray::fromStdString(*entry));
    }
}

void CDialogSheetActiveList::OnSelendokComboList() {
    m_strList = m_comboList->currentText();
    FillListBox();
}

void CDialogSheetActiveList::OnButtonRemove() {
    std::vector<std::string> selected;
    for (const QListWidgetItem* item : m_listBox->selectedItems())
        selected.push_back(item->data(kEntryRole).toByteArray().toStdString());
    for (const std::string& text : selected) {
        std::vector<std::string>* list = ChosenList();
        if (!list) continue;
        const auto it = std::find(list->begin(), list->end(), text);
        if (it == list->end()) {
            ov2::OvMessageBox("CDialogSheetActiveList::OnButtonRemove() #Something really weird.",
                              ov2::MsgButtons::Ok, ov2::MsgIcon::Error);
            continue;
        }
        list->erase(it);
    }
    FillListBox();
}

void CDialogSheetActiveList::OnButtonRemoveAll() {
    if (std::vector<std::string>* list = ChosenList()) list->clear();
    m_listBox->clear();
}

void CDialogSheetActiveList::OnButtonSaveLists() {
    if (ov2::RefuseUnsavedCatalogue(m_strDocPath) || !m_pDatabase) return;
    for (const auto& [key, entries] :
         {std::pair{"SearchCombo", &m_lstSearch}, std::pair{"LendCombo", &m_lstLend}}) {
        auto* entry = m_pDatabase->m_pSettings->m_map.Lookup(key);
        auto* history = entry ? dynamic_cast<CStringList*>(entry->get()) : nullptr;
        if (!history) {
            ov2::OvMessageBox("Severe Error with Active List settings", ov2::MsgButtons::Ok,
                              ov2::MsgIcon::Error);
            continue;
        }
        history->m_strings = *entries;
    }
    ov2::SaveCatalogueNow(*m_pDatabase, m_strDocPath);
}
