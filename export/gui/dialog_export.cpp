#include "export/gui/dialog_export.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "platform/message_box.h"

using namespace ov2::exporting;

namespace {

struct FormatChoice {
    const char* text;
    Format format;
    bool forSpreadsheets;
};
constexpr FormatChoice kFormats[] = {
    {"CSV (comma-separated values)", Format::Csv, false},
    {"CSV for spreadsheet programs", Format::Csv, true},
    {"TSV (tab-separated values, for scripts)", Format::Tsv, false},
    {"JSON Lines (a backup that Ov2 imports)", Format::JsonLines, false},
    {"Web page (one HTML file with a search box)", Format::Html, false},
    {"SQLite database", Format::Sqlite, false},
};

}  // namespace

CDialogExport::CDialogExport(std::vector<ExportSource> sources, QWidget* parent)
    : QDialog(parent), m_sources(std::move(sources)) {
    setObjectName(QStringLiteral("dialogExport"));
    setWindowTitle(QStringLiteral("Export"));
    m_comboSource = new QComboBox(this);
    m_comboSource->setObjectName(QStringLiteral("comboSource"));
    for (const ExportSource& source : m_sources)
        m_comboSource->addItem(source.title, source.objectName);
    m_comboSource->setCurrentIndex(static_cast<int>(m_sources.size()) - 1);  // the narrowest choice
    m_comboFormat = new QComboBox(this);
    m_comboFormat->setObjectName(QStringLiteral("comboFormat"));
    for (const FormatChoice& choice : kFormats)
        m_comboFormat->addItem(QString::fromLatin1(choice.text));
    m_editDestination = new QLineEdit(this);
    m_editDestination->setObjectName(QStringLiteral("editDestination"));
    m_editDestination->setMinimumWidth(360);
    m_buttonBrowse = new QPushButton(QStringLiteral("Browse..."), this);
    m_buttonBrowse->setObjectName(QStringLiteral("buttonBrowse"));
    auto* destination = new QHBoxLayout;
    destination->addWidget(m_editDestination, 1);
    destination->addWidget(m_buttonBrowse);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressExport"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_labelStatus = new QLabel(this);
    m_labelStatus->setObjectName(QStringLiteral("labelStatus"));
    m_labelStatus->setWordWrap(true);
    m_buttons = new QDialogButtonBox(this);
    m_buttonExport = m_buttons->addButton(QStringLiteral("Export"), QDialogButtonBox::AcceptRole);
    m_buttonExport->setObjectName(QStringLiteral("buttonExport"));
    m_buttonExport->setDefault(true);
    m_buttonCancel = m_buttons->addButton(QDialogButtonBox::Cancel);
    m_buttonCancel->setObjectName(QStringLiteral("buttonCancel"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Export:"), m_comboSource);
    form->addRow(QStringLiteral("Format:"), m_comboFormat);
    form->addRow(QStringLiteral("To file:"), destination);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_progress);
    layout->addWidget(m_labelStatus);
    layout->addWidget(m_buttons);

    m_timer = new QTimer(this);
    m_timer->setInterval(50);
    connect(m_timer, &QTimer::timeout, this, &CDialogExport::ShowProgress);
    connect(m_comboFormat, &QComboBox::currentIndexChanged, this, &CDialogExport::OnFormatChanged);
    connect(m_buttonBrowse, &QPushButton::clicked, this, &CDialogExport::OnBrowse);
    connect(m_buttonExport, &QPushButton::clicked, this, &CDialogExport::OnExport);
    connect(m_buttonCancel, &QPushButton::clicked, this, &CDialogExport::reject);
    connect(&m_watcher, &QFutureWatcher<ExportResult>::finished, this, &CDialogExport::OnFinished);
}

CDialogExport::~CDialogExport() {
    // The worker reads the records this dialog holds: it ends first.
    m_cancel = true;
    m_watcher.waitForFinished();
}

ExportOptions CDialogExport::Options() const {
    const FormatChoice& choice = kFormats[std::max(0, m_comboFormat->currentIndex())];
    const ExportSource& source =
        m_sources[static_cast<std::size_t>(std::max(0, m_comboSource->currentIndex()))];
    ExportOptions options;
    options.format = choice.format;
    options.forSpreadsheets = choice.forSpreadsheets;
    options.catalogue = source.catalogue;
    options.discCatalogues = source.discCatalogues;
    return options;
}

// A destination typed or chosen takes the new format's extension.
void CDialogExport::OnFormatChanged() {
    const QString path = m_editDestination->text();
    if (path.isEmpty()) return;
    const QFileInfo info(path);
    m_editDestination->setText(info.path() + QLatin1Char('/') + info.completeBaseName() +
                               QLatin1Char('.') +
                               QString::fromLatin1(FormatExtension(Options().format)));
}

void CDialogExport::OnBrowse() {
    const QString extension = QString::fromLatin1(FormatExtension(Options().format));
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export To"), m_editDestination->text(),
        QStringLiteral("%1 files (*.%2);;All files (*)").arg(extension.toUpper(), extension));
    if (!path.isEmpty()) m_editDestination->setText(path);
}

void CDialogExport::OnExport() {
    if (m_running) return;
    m_destination = m_editDestination->text().trimmed();
    if (m_destination.isEmpty()) {
        ov2::OvMessageBox("Choose the file to export to.");
        m_editDestination->setFocus();
        return;
    }
    const ExportSource& source =
        m_sources[static_cast<std::size_t>(std::max(0, m_comboSource->currentIndex()))];
    if (!source.catalogueFile.isEmpty() && QFileInfo(m_destination).exists() &&
        QFileInfo(m_destination).canonicalFilePath() ==
            QFileInfo(source.catalogueFile).canonicalFilePath()) {
        ov2::OvMessageBox("The export would replace the catalogue itself. Choose another file.");
        m_editDestination->setFocus();
        return;
    }
    m_cancel = false;
    m_done = 0;
    m_total = FileCount(*source.database, source.selection);
    m_running = true;
    for (QWidget* widget : std::initializer_list<QWidget*>{
             m_comboSource, m_comboFormat, m_editDestination, m_buttonBrowse, m_buttonExport})
        widget->setEnabled(false);
    m_labelStatus->setText(QStringLiteral("Exporting..."));
    m_buttonCancel->setText(QStringLiteral("Cancel"));
    m_progress->setRange(0, 1000);
    m_progress->setValue(0);
    m_timer->start();
    m_watcher.setFuture(
        QtConcurrent::run([this, database = source.database, selection = source.selection,
                           options = Options(), path = m_destination] {
            return ExportCatalogue(*database, selection, options, path,
                                   [this](std::size_t done, std::size_t) {
                                       m_done = done;
                                       return !m_cancel.load();
                                   });
        }));
}

void CDialogExport::ShowProgress() {
    const std::size_t total = m_total;
    m_progress->setValue(total ? static_cast<int>(m_done * 1000 / total) : 0);
}

void CDialogExport::OnFinished() {
    m_timer->stop();
    m_running = false;
    m_result = m_watcher.result();
    for (QWidget* widget : std::initializer_list<QWidget*>{
             m_comboSource, m_comboFormat, m_editDestination, m_buttonBrowse, m_buttonExport})
        widget->setEnabled(true);
    switch (m_result.status) {
        case ExportStatus::Done:
            m_progress->setValue(m_progress->maximum());
            m_labelStatus->setText(
                QStringLiteral("%L1 files exported to %2.").arg(m_result.files).arg(m_destination));
            m_buttonCancel->setText(QStringLiteral("Close"));
            break;
        case ExportStatus::Cancelled:
            m_progress->setValue(0);
            m_labelStatus->setText(
                QStringLiteral("The export was cancelled; no file was written."));
            break;
        case ExportStatus::Failed:
            m_progress->setValue(0);
            m_labelStatus->clear();
            ov2::OvMessageBox(QStringLiteral("Could not export to %1: %2")
                                  .arg(m_destination, m_result.error)
                                  .toStdString(),
                              ov2::MsgButtons::Ok, ov2::MsgIcon::Error);
            break;
    }
}

void CDialogExport::reject() {
    // While the export runs, Cancel (or Esc, or closing the window) stops it; the dialog stays
    // until the worker has removed what it wrote.
    if (m_running) {
        m_cancel = true;
        m_labelStatus->setText(QStringLiteral("Cancelling..."));
        return;
    }
    QDialog::reject();
}
