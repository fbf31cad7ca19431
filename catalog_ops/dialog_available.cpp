#include "catalog_ops/dialog_available.h"

#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "catalog_ops/disc_list.h"
#include "core/disc_database.h"

CDialogAvailable::CDialogAvailable(const COvDiscDatabase& database, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("CDialogAvailable"));
    setWindowTitle(QStringLiteral("List of All Available Discs"));
    setModal(true);

    m_list = ov2::NewDiscList(this, {{"CD Name", 270}, {"CD Number", 100}});
    QList<QTreeWidgetItem*> rows;
    for (const auto& disc : database.m_lstDiscs)
        if (disc->m_strLocation == "home")
            rows << ov2::NewDiscRow({disc->m_strName, disc->m_strNumber}, disc->m_strNumber);
    m_list->addTopLevelItems(rows);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &CDialogAvailable::OnDblclkList);
    m_sortState.SetState(0, QStringLiteral("false"));
    m_sortState.SetState(1, QStringLiteral("false"));
    ov2::ConnectHeaderSort(m_list, &m_sortState, [](int column) -> std::optional<ov2::SortKind> {
        if (column == 0) return ov2::SortKind::Text;
        if (column == 1) return ov2::SortKind::WholeNumber;
        return std::nullopt;
    });

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("buttonOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

void CDialogAvailable::OnDblclkList(QTreeWidgetItem* row) {
    if (!row) return;
    m_strSelectedNumber = ov2::RowNumber(row);
    accept();
}
