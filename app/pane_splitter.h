#pragma once

#include <QList>
#include <QSplitter>

// The main window's row of panes. One pane (the file list) takes the width the window gains;
// when the window is too narrow for the others' widths, they give way until that pane has half
// the row, none below its minimum width. Their widths come back as the window grows again.
class CPaneSplitter : public QSplitter {
    Q_OBJECT
public:
    CPaneSplitter(int mainPane, QWidget* parent = nullptr);

    // The width below which a side pane no longer shows its content whole: the side panes give
    // way down to these widths first, and only then further.
    void SetComfortableWidth(int pane, int width);
    // The widths to remember: the side panes' widths before they gave way.
    QList<int> PreferredSizes() const;
    // Fits the panes to the row's width as the window's resizing does.
    void FitPanes();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int m_nMainPane;
    bool m_bSqueezed = false;  // the side panes are narrower than the user had them
    QList<int> m_preferred;    // their widths then (the main pane's entry unused)
    QList<int> m_comfortable;  // by pane; 0 where none was set
};
