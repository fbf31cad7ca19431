#include "dupes/gui/dialog_duplicates.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ov2_view.h"
#include "core/disc_database.h"
#include "core/number_text.h"
#include "core/ov2_doc.h"
#include "dupes/duplicates.h"
#include "find/find_query.h"
#include "platform/message_box.h"
#include "platform/text.h"

namespace {

const QString kSettingsGroup = QStringLiteral("Duplicates");
const QString kMinSizeKey = QStringLiteral("MinSize");

QTreeView* MakeList(QWidget* parent, const char* name, CCopiesModel* model) {
    auto* list = new QTreeView(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setModel(model);
    list->setRootIsDecorated(model->columnCount() > CCopiesModel::kCopies);
    list->setUniformRowHeights(true);
    list->setAlternatingRowColors(true);
    // The name and the folder share the room the window gives; the others fit their texts.
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionResizeMode(CCopiesModel::kName, QHeaderView::Stretch);
    header->setSectionResizeMode(CCopiesModel::kFolder, QHeaderView::Stretch);
    list->setColumnWidth(CCopiesModel::kDisc, 170);
    list->setColumnWidth(CCopiesModel::kSize, 90);
    list->setColumnWidth(CCopiesModel::kCopies, 60);
    return list;
}

}  // namespace

CDialogDuplicates::CDialogDuplicates(COv2Doc* doc, QWidget* parent)
    : QDialog(parent), m_pDocument(doc) {
    setObjectName(QStringLiteral("CDialogDuplicates"));
    setWindowTitle(QStringLiteral("Find Duplicates"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);
    connect(this, &QDialog::finished, this, &QObject::deleteLater);

    auto* options = new QHBoxLayout;
    auto* sizeLabel = new QLabel(QStringLiteral("Minimum size:"), this);
    m_editMinSize = new QLineEdit(this);
    m_editMinSize->setObjectName(QStringLiteral("editMinSize"));
    m_editMinSize->setToolTip(QStringLiteral("Such as 1mb, 700kb or 1.5gb (in 1024s)."));
    m_editMinSize->setMaximumWidth(100);
    m_editMinSize->setText(
        QSettings().value(kSettingsGroup + QLatin1Char('/') + kMinSizeKey, QStringLiteral("1mb"))
            .toString());
    sizeLabel->setBuddy(m_editMinSize);
    m_buttonCategories = new QToolButton(this);
    m_buttonCategories->setObjectName(QStringLiteral("buttonCategories"));
    m_buttonCategories->setPopupMode(QToolButton::InstantPopup);
    m_menuCategories = new QMenu(m_buttonCategories);
    m_buttonCategories->setMenu(m_menuCategories);
    auto* find = new QPushButton(QStringLiteral("Find"), this);
    find->setObjectName(QStringLiteral("buttonFind"));
    find->setDefault(true);
    connect(find, &QPushButton::clicked, this, &CDialogDuplicates::Find);
    connect(m_editMinSize, &QLineEdit::returnPressed, this, &CDialogDuplicates::Find);
    options->addWidget(sizeLabel);
    options->addWidget(m_editMinSize);
    options->addSpacing(12);
    options->addWidget(new QLabel(QStringLiteral("Discs:"), this));
    options->addWidget(m_buttonCategories);
    options->addStretch(1);
    options->addWidget(find);

    m_modelDuplicates = new CCopiesModel(true, this);
    m_modelSingles = new CCopiesModel(false, this);
    m_listDuplicates = MakeList(this, "listDuplicates", m_modelDuplicates);
    m_listSingles = MakeList(this, "listSingleCopies", m_modelSingles);
    connect(m_listDuplicates, &QTreeView::activated, this,
            [this](const QModelIndex& index) { OnActivated(m_modelDuplicates->RowAt(index)); });
    connect(m_listSingles, &QTreeView::activated, this,
            [this](const QModelIndex& index) { OnActivated(m_modelSingles->RowAt(index)); });
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabs"));
    m_tabs->addTab(m_listDuplicates, QStringLiteral("Duplicates"));
    m_tabs->addTab(m_listSingles, QStringLiteral("Single Copies"));
    m_labelFound = new QLabel(this);
    m_labelFound->setObjectName(QStringLiteral("labelFound"));
    m_labelFound->setWordWrap(true);

    auto* column = new QVBoxLayout(this);
    column->addLayout(options);
    column->addWidget(m_tabs, 1);
    column->addWidget(m_labelFound);
    resize(900, 560);

    FillCategoryMenu();
    Find();
}

void CDialogDuplicates::FillCategoryMenu() {
    m_menuCategories->clear();
    const COvDiscDatabase* database = m_pDocument->m_pDatabase.get();
    if (database && database->m_pCategories)
        for (const std::string& name : database->m_pCategories->m_strings) {
            QAction* action = m_menuCategories->addAction(ov2::DecodeText(name));
            action->setCheckable(true);
            action->setData(ov2::ToByteArray(name));
            connect(action, &QAction::toggled, this, &CDialogDuplicates::UpdateCategoryButton);
        }
    if (m_menuCategories->isEmpty())
        m_menuCategories->addAction(QStringLiteral("The catalogue has no categories."))
            ->setEnabled(false);
    UpdateCategoryButton();
}

std::vector<std::string> CDialogDuplicates::ChosenCategories() const {
    std::vector<std::string> chosen;
    for (const QAction* action : m_menuCategories->actions())
        if (action->isChecked()) chosen.push_back(action->data().toByteArray().toStdString());
    return chosen;
}

void CDialogDuplicates::UpdateCategoryButton() {
    QStringList names;
    for (const QAction* action : m_menuCategories->actions())
        if (action->isChecked()) names << action->text();
    m_buttonCategories->setText(names.isEmpty() ? QStringLiteral("All discs")
                                                : QStringLiteral("In ") + names.join(QStringLiteral(", ")));
}

bool CDialogDuplicates::Find() {
    const QString sizeText = m_editMinSize->text().trimmed().remove(QLatin1Char(' '));
    const std::optional<std::uint64_t> minSize =
        ov2::find::ParseByteCount(sizeText.isEmpty() ? "0" : sizeText.toStdString());
    if (!minSize) {
        ov2::OvMessageBox("The minimum size is not a size such as 1mb, 700kb or 1.5gb.",
                          ov2::MsgButtons::Ok, ov2::MsgIcon::Warning);
        m_editMinSize->setFocus();
        return false;
    }
    QSettings().setValue(kSettingsGroup + QLatin1Char('/') + kMinSizeKey, m_editMinSize->text());

    m_modelDuplicates->SetGroups({});
    m_modelSingles->SetGroups({});
    const COvDiscDatabase* database = m_pDocument->m_pDatabase.get();
    if (!database) return true;
    ov2::dupes::Options options;
    options.minSize = std::max<std::uint64_t>(*minSize, 1);
    options.categories = ChosenCategories();
    const ov2::dupes::Catalogue catalogues[] = {{database, m_pDocument->GetTitle().toStdString()}};

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::vector<ov2::dupes::Group> groups = ov2::dupes::FindDuplicates(catalogues, options);
    const std::vector<ov2::dupes::FileRef> singles =
        ov2::dupes::FindSingleCopies(catalogues, options);
    auto rowOf = [&](const ov2::dupes::FileRef& ref) {
        const auto& disc = database->m_lstDiscs[ref.disc];
        return CCopiesModel::Row{disc, disc->m_lstFiles[ref.item]};
    };
    std::vector<CCopiesModel::Group> rows;
    rows.reserve(groups.size());
    std::uint64_t spare = 0;  // bytes that the second and later copies take
    for (const ov2::dupes::Group& group : groups) {
        CCopiesModel::Group& files = rows.emplace_back();
        files.reserve(group.files.size());
        for (const ov2::dupes::FileRef& ref : group.files) files.push_back(rowOf(ref));
        spare += group.size * (group.files.size() - 1);
    }
    m_modelDuplicates->SetGroups(std::move(rows));
    // Where the copies are is the answer: shown at once, unless there are too many to read.
    constexpr std::size_t kExpandedGroups = 2000;
    if (groups.size() <= kExpandedGroups) m_listDuplicates->expandAll();
    rows.clear();
    rows.reserve(singles.size());
    for (const ov2::dupes::FileRef& ref : singles) rows.push_back({rowOf(ref)});
    m_modelSingles->SetGroups(std::move(rows));
    QApplication::restoreOverrideCursor();

    const auto count = [](std::size_t n, const char* one, const char* many) {
        return n == 1 ? QStringLiteral("1 ") + QLatin1String(one)
                      : QString::number(n) + QLatin1Char(' ') + QLatin1String(many);
    };
    QString found = groups.empty() ? QStringLiteral("No file has copies.")
                                   : count(groups.size(), "file has", "files have") +
                                         QStringLiteral(" copies (%1 in the extra copies).")
                                             .arg(QString::fromStdString(
                                                 FormatSizeText(static_cast<double>(spare))));
    found += QLatin1Char(' ') + (singles.empty() ? QStringLiteral("Every file has a copy on another disc.")
                                                 : count(singles.size(), "file has", "files have") +
                                                       QStringLiteral(" no copy on another disc."));
    // Nothing on either tab means that no file passed the filters, not that all have copies.
    if (groups.empty() && singles.empty())
        found = QStringLiteral("No file on the discs chosen is as large as the minimum size.");
    m_labelFound->setText(found);
    return true;
}

void CDialogDuplicates::OnActivated(const CCopiesModel::Row* found) {
    if (!found) return;  // a group's own row goes nowhere
    const CCopiesModel::Row row = *found;  // the message box below may run a new Find
    // The catalogue may have changed since: a deleted disc or file, or another catalogue, is
    // no longer there to go to.
    const COvDiscDatabase* database = m_pDocument->m_pDatabase.get();
    const auto& files = row.disc->m_lstFiles;
    if (!database ||
        std::find(database->m_lstDiscs.begin(), database->m_lstDiscs.end(), row.disc) ==
            database->m_lstDiscs.end() ||
        std::find(files.begin(), files.end(), row.file) == files.end()) {
        ov2::OvMessageBox("The file is no longer in the catalogue. Press Find to look again.",
                          ov2::MsgButtons::Ok, ov2::MsgIcon::Information);
        return;
    }
    Q_EMIT showFile(row.disc->m_strNumber.str(), *row.file);
}
