#include "catalog_ops/dialog_not_available.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <vector>

#include "catalog_ops/disc_list.h"
#include "core/disc_database.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "platform/text_matcher.h"

CDialogNotAvailable::CDialogNotAvailable(COvDiscDatabase& database, const QString& personFilter,
                                         std::function<void()> markModified, QWidget* parent)
    : QDialog(parent),
      m_database(database),
      m_strPersonFilter(personFilter),
      m_markModified(std::move(markModified)) {
    setObjectName(QStringLiteral("CDialogNotAvailable"));
    setWindowTitle(QStringLiteral("Non-available Discs"));
    setModal(true);

    m_list = ov2::NewDiscList(
        this, {{"CD Name", 270}, {"CD Number", 100}, {"CD Location", 100}, {"Lent at...", 150}});
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this,
            &CDialogNotAvailable::OnContextMenu);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &CDialogNotAvailable::OnDblclkList);
    for (int column = 0; column < 3; ++column)
        m_sortState.SetState(column, QStringLiteral("false"));
    ov2::ConnectHeaderSort(m_list, &m_sortState, [](int column) -> std::optional<ov2::SortKind> {
        if (column == 0 || column == 2) return ov2::SortKind::Text;
        if (column == 1) return ov2::SortKind::WholeNumber;
        return std::nullopt;  // the dates do not sort
    });

    m_menuDlgLend = new QMenu(this);
    m_menuDlgLend->setObjectName(QStringLiteral("menuDlgLend"));
    QAction* getBack = m_menuDlgLend->addAction(QStringLiteral("Get Back"));
    getBack->setObjectName(QStringLiteral("actionGetBack"));
    connect(getBack, &QAction::triggered, this, &CDialogNotAvailable::OnDlglendGetback);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("buttonOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("buttonCancel"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);

    FillList();
}

void CDialogNotAvailable::FillList() {
    m_list->clear();
    // The rows stand in catalogue order again, which no header triangle describes.
    m_list->header()->setSortIndicatorShown(false);
    const std::string person = ov2::EncodeText(m_strPersonFilter);
    // "jürgen" typed on Linux finds the discs lent to "JÜRGEN" in a catalogue made on Windows.
    const ov2::CTextMatcher borrower(person);
    QList<QTreeWidgetItem*> rows;
    for (const auto& disc : m_database.m_lstDiscs) {
        // A disc at home is never listed here, not even for a borrower who typed "home".
        if (disc->m_strLocation == "home") continue;
        if (!person.empty() && !borrower.Equals(disc->m_strLocation)) continue;
        rows << ov2::NewDiscRow(
            {disc->m_strName, disc->m_strNumber, disc->m_strLocation, disc->m_strLendDate},
            disc->m_strNumber);
    }
    if (rows.isEmpty()) {
        // The dialog stays open and keeps its caption.
        ov2::OvMessageBox("All Discs are available", ov2::MsgButtons::Ok,
                          ov2::MsgIcon::Information);
        return;
    }
    m_list->addTopLevelItems(rows);
    setWindowTitle(person.empty() ? QStringLiteral("All Notavailble CD's")
                                  : QStringLiteral("All CD's bei ") + m_strPersonFilter);
}

void CDialogNotAvailable::OnContextMenu(const QPoint& position) {
    m_menuDlgLend->popup(m_list->viewport()->mapToGlobal(position));
}

void CDialogNotAvailable::OnDblclkList(QTreeWidgetItem* row) {
    if (!row) return;
    m_strSelectedNumber = ov2::RowNumber(row);
    accept();
}

void CDialogNotAvailable::OnDlglendGetback() {
    std::vector<std::string> numbers;
    for (const QTreeWidgetItem* row : m_list->selectedItems())
        numbers.push_back(ov2::RowNumber(row));
    bool changed = false;
    for (const std::string& number : numbers) {
        COvDisc* disc = m_database.FindDisc(number);
        if (!disc || disc->m_strLocation == "home") continue;
        disc->m_strLocation = "home";
        changed = true;
    }
    if (!changed) return;
    if (m_markModified) m_markModified();
    FillList();
}
