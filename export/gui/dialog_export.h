#pragma once

#include <QDialog>
#include <QFutureWatcher>
#include <atomic>
#include <vector>

#include "export/catalogue_export.h"
#include "export/gui/export_source.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

// File > Export...: what to export (the sources offered), the format, the destination, and a
// progress bar while the export runs on a worker thread. Cancel stops it, and then no file is
// left at the destination; the dialog stays open until the worker has ended.
class CDialogExport final : public QDialog {
    Q_OBJECT
public:
    CDialogExport(std::vector<ov2::exporting::ExportSource> sources, QWidget* parent = nullptr);
    ~CDialogExport() override;

    bool IsRunning() const { return m_running; }
    // The last export's outcome.
    const ov2::exporting::ExportResult& LastResult() const { return m_result; }

    void reject() override;

private:
    void OnFormatChanged();
    void OnBrowse();
    void OnExport();
    void OnFinished();
    void ShowProgress();
    ov2::exporting::ExportOptions Options() const;

    std::vector<ov2::exporting::ExportSource> m_sources;
    QComboBox* m_comboSource;
    QComboBox* m_comboFormat;
    QLineEdit* m_editDestination;
    QPushButton* m_buttonBrowse;
    QProgressBar* m_progress;
    QLabel* m_labelStatus;
    QDialogButtonBox* m_buttons;
    QPushButton* m_buttonExport;
    QPushButton* m_buttonCancel;
    QTimer* m_timer;
    QFutureWatcher<ov2::exporting::ExportResult> m_watcher;
    std::atomic<bool> m_cancel{false};
    std::atomic<std::size_t> m_done{0}, m_total{0};
    bool m_running = false;
    QString m_destination;
    ov2::exporting::ExportResult m_result;
};
