#include "catalog_ops/dialog_gaps.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "catalog_ops/disc_gaps.h"
#include "catalog_ops/disc_list.h"

CDialogGaps::CDialogGaps(const ov2::DiscGaps& gaps, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CDialogGaps"));
    setWindowTitle(QStringLiteral("Find Gaps in the CD Index"));
    setModal(true);

    auto* caption = new QLabel(QStringLiteral("Unassigned Indices:"), this);
    caption->setObjectName(QStringLiteral("labelCaption"));
    m_list = ov2::NewDiscList(this, {{"Number", 100}});
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(gaps.numbers.size()));
    for (const std::string& number : gaps.numbers) rows << ov2::NewDiscRow({number}, number);
    m_list->addTopLevelItems(rows);
    m_sortState.SetState(0, QStringLiteral("false"));
    ov2::ConnectHeaderSort(m_list, &m_sortState, [](int column) {
        return column == 0 ? std::optional(ov2::SortKind::WholeNumber) : std::nullopt;
    });

    auto* count = new QLabel(QString::number(m_list->topLevelItemCount()), this);
    count->setObjectName(QStringLiteral("labelCount"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("buttonOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(caption);
    top->addStretch(1);
    top->addWidget(count);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_list);
    if (gaps.cut) {
        // Beyond the listed numbers there are more; the count alone would hide that.
        auto* cut = new QLabel(
            QStringLiteral("Only the first %1 unassigned numbers are listed.").arg(rows.size()),
            this);
        cut->setObjectName(QStringLiteral("labelCut"));
        cut->setWordWrap(true);
        layout->addWidget(cut);
    }
    layout->addWidget(ok, 0, Qt::AlignRight);
}
