#include "catalog_ops/attached_categories_dialog.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <string>

#include "catalog_ops/category_icon.h"
#include "core/command_ids.h"
#include "core/ov_file_data.h"
#include "platform/text.h"

namespace {

// Each row keeps the category's record bytes: a category of an old catalogue is not UTF-8, and
// its displayed text would not find it in the record again.
constexpr int kBytesRole = Qt::UserRole;

}  // namespace

CDialogAttachedCategories::CDialogAttachedCategories(COvFileData& file,
                                                     std::function<void()> markModified,
                                                     QWidget* parent)
    : QDialog(parent), m_file(file), m_markModified(std::move(markModified)) {
    setObjectName(QStringLiteral("CDialogAttachedCategories"));
    setWindowTitle(QStringLiteral("List of Attached Categories"));
    setModal(true);

    auto* caption = new QLabel(QStringLiteral("Edit the Attached Categories:"), this);
    auto* fileName = new QLabel(ov2::DecodeText(m_file.m_strFileName), this);
    fileName->setObjectName(QStringLiteral("labelFileName"));
    fileName->setTextFormat(Qt::PlainText);
    fileName->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("listCategories"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setIconSize(QSize(24, 24));
    m_list->setHeaderLabels({QStringLiteral("Category")});
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(0, 100);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this,
            &CDialogAttachedCategories::OnContextMenu);
    m_sortState.SetState(0, QStringLiteral("false"));
    ov2::ConnectHeaderSort(m_list, &m_sortState, [](int column) {
        return column == 0 ? std::optional(ov2::SortKind::Text) : std::nullopt;
    });

    m_menuFileDlg = new QMenu(this);
    m_menuFileDlg->setObjectName(QStringLiteral("menuFileDlg"));
    QAction* remove = m_menuFileDlg->addAction(QStringLiteral("Delete"));
    remove->setObjectName(QStringLiteral("actionDelete"));
    remove->setData(ov2::cmd::kFileDlgDelete);
    connect(remove, &QAction::triggered, this, &CDialogAttachedCategories::OnFiledlgDelete);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("buttonOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(fileName);
    layout->addWidget(m_list);
    layout->addWidget(ok, 0, Qt::AlignRight);

    FillList();
}

void CDialogAttachedCategories::FillList() {
    m_list->clear();
    // The rows stand in the record's order again, which no header triangle describes.
    m_list->header()->setSortIndicatorShown(false);
    const QIcon icon = ov2::CategoryIcon();
    for (const std::string& category : m_file.m_lstCategories) {
        auto* item = new QTreeWidgetItem({ov2::DecodeText(category)});
        item->setIcon(0, icon);
        item->setData(0, kBytesRole, QByteArray::fromStdString(category));
        m_list->insertTopLevelItem(0, item);
    }
}

void CDialogAttachedCategories::OnContextMenu(const QPoint& position) {
    m_menuFileDlg->popup(m_list->viewport()->mapToGlobal(position));
}

void CDialogAttachedCategories::OnFiledlgDelete() {
    bool removed = false;
    auto& categories = m_file.m_lstCategories;
    for (const QTreeWidgetItem* item : m_list->selectedItems()) {
        // One row stands for one entry of the record, so each row removes one entry.
        const std::string bytes = item->data(0, kBytesRole).toByteArray().toStdString();
        const auto it = std::find(categories.begin(), categories.end(), bytes);
        if (it == categories.end()) continue;
        categories.erase(it);
        removed = true;
    }
    if (!removed) return;
    FillList();
    if (m_markModified) m_markModified();
}
