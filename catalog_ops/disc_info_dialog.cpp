#include "catalog_ops/disc_info_dialog.h"

#include <QDateTime>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "catalog_ops/category_icon.h"
#include "core/ov_disc.h"
#include "platform/text.h"

CDialogDiscInfo::CDialogDiscInfo(const COvDisc& disc, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CDialogDiscInfo"));
    setWindowTitle(QStringLiteral("Dialog"));
    setModal(true);

    auto* form = new QFormLayout;
    AddValue(form, "CD Name:", "labelName", ov2::DecodeText(disc.m_strName));
    AddValue(form, "CD Number:", "labelNumber", ov2::DecodeText(disc.m_strNumber));
    AddValue(form, "CD Location:", "labelLocation", ov2::DecodeText(disc.m_strLocation));
    AddValue(form, "Saved At:", "labelSavedAt", ov2::DecodeText(disc.m_strSavedAt));
    AddValue(form, "( Lend Date: )", "labelLendDate", ov2::DecodeText(disc.m_strLendDate));
    AddValue(form, "CD Quality:", "labelQuality", ov2::DecodeText(disc.m_strQuality));
    AddValue(form, "Number of Files:", "labelFileCount", ov2::DecodeText(disc.GetFileCountText()));
    AddValue(form, "Full Disc Size:", "labelFullSize", ov2::DecodeText(disc.GetFullSizeText()));
    AddFacts(form, disc.m_facts);

    auto* notes = new QPlainTextEdit(this);
    notes->setObjectName(QStringLiteral("editNotes"));
    notes->setReadOnly(true);
    // The record separates lines with CR LF; the editor wants bare line feeds.
    notes->setPlainText(ov2::DecodeText(disc.m_strNotes).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    form->addRow(new QLabel(QStringLiteral("Notes:"), this), notes);

    m_listCategories = new QTreeWidget(this);
    m_listCategories->setObjectName(QStringLiteral("listCategories"));
    m_listCategories->setRootIsDecorated(false);
    m_listCategories->setUniformRowHeights(true);
    m_listCategories->setIconSize(QSize(16, 16));
    m_listCategories->setHeaderLabels({QStringLiteral("CD Categories")});
    m_listCategories->header()->setStretchLastSection(true);
    m_listCategories->setColumnWidth(0, 150);
    FillCategories(disc.m_lstCategories);
    m_sortState.SetState(0, QStringLiteral("true"));
    ov2::ConnectHeaderSort(m_listCategories, &m_sortState, [](int column) {
        return column == 0 ? std::optional(ov2::SortKind::Text) : std::nullopt;
    });

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("buttonOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_listCategories);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

QLabel* CDialogDiscInfo::AddValue(QFormLayout* form, const char* caption, const char* objectName,
                                  const QString& value) {
    auto* label = new QLabel(value, this);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setTextFormat(Qt::PlainText);  // a disc named "<b>" is shown as typed
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(new QLabel(QString::fromLatin1(caption), this), label);
    return label;
}

void CDialogDiscInfo::AddFacts(QFormLayout* form, const ov2::DiscFacts& facts) {
    if (facts.IsEmpty()) {
        // Discs scanned before volumes were looked at, and those of converted catalogues.
        AddValue(form, "Volume:", "labelVolume", QStringLiteral("Not recorded"));
        return;
    }
    const auto text = [](const std::string& bytes) { return ov2::DecodeText(bytes); };
    const auto size = [](std::int64_t bytes) {
        return bytes < 0 ? QString() : QString::fromStdString(ov2::BinarySizeText(bytes));
    };
    AddValue(form, "File System:", "labelFileSystem", text(facts.fileSystem));
    AddValue(form, "Volume Label:", "labelVolumeLabel", text(facts.label));
    AddValue(form, "UUID / Serial:", "labelUuid", text(facts.uuid));
    AddValue(form, "Device Model:", "labelModel", text(facts.model));
    AddValue(form, "Capacity:", "labelCapacity", size(facts.capacity));
    AddValue(form, "Free Space:", "labelFree", size(facts.free));
    // Shown in the local time of the user; a text that is no time as it stands.
    const QDateTime scanned = QDateTime::fromString(text(facts.scannedAt), Qt::ISODate);
    AddValue(form, "Scanned At:", "labelScannedAt",
             scanned.isValid() ? scanned.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                               : text(facts.scannedAt));
}

void CDialogDiscInfo::FillCategories(const std::vector<std::string>& categories) {
    const QIcon icon = ov2::CategoryIcon();
    for (const std::string& category : categories) {
        auto* item = new QTreeWidgetItem({ov2::DecodeText(category)});
        item->setIcon(0, icon);
        m_listCategories->insertTopLevelItem(0, item);
    }
}
