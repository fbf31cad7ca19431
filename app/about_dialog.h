#pragma once

#include <QDialog>

// "About Ov2": a white page with the product line, the authors and where the help lives.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
