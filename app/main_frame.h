#pragma once

#include <QMainWindow>
#include <QStringList>
#include <map>

class COv2Doc;
class CCategoriesView;
class CCommandsView;
class CFindPane;
class CLeftView;
class COv2View;
class QAction;
class QMenu;
class QFrame;
class QLabel;
class CPaneSplitter;

// The main window: the four panes side by side (commands panel, disc tree, file list,
// categories panel) and the menus and accelerators, whose commands go to the document.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(COv2Doc* doc, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CPaneSplitter* Splitter() const { return m_splitter; }
    CFindPane* Find() const { return m_find; }
    QAction* Action(int nID) const;
    // Runs a menu command as the user would choose it.
    void RunCommand(int nID);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateMenus();
    QAction* AddCommand(QMenu* menu, int nID, const QString& text, const char* icon, const QKeySequence& keys = {});
    void AddAccelerator(int nID, const QList<QKeySequence>& keys);
    void UpdateCaption();
    void UpdateMenuState();
    void UpdateRecentFiles();
    // The pane widths and the file list's column widths are remembered from one run to the next.
    void RestoreLayout();
    void SaveLayout() const;
    void OnHelp();
    void OnTipsAndTricks();
    // Opens the help page (or a section of it: `target`) and says why when it cannot.
    void OpenHelp(const QString& target, const QString& file);
    void OnAbout();
    // The settings sheet on the open catalogue.
    void OnSettings();
    // The catalogue's file on disk: the questions the document asks and the bar it raises.
    void ConnectFileOnDisk();
    void ShowChangedOnDiskBar();
    void OnReloadFromDisk();
    void ApplyReadOnly();
    // File > Export...: the catalogue, the selected disc or Find's rows to another format.
    void OnExport();
    // Operations > Find Duplicates…: a window of its own, beside the others.
    void OnFindDuplicates();

    COv2Doc* m_pDocument;
    CPaneSplitter* m_splitter = nullptr;
    CCommandsView* m_commands = nullptr;
    CLeftView* m_tree = nullptr;
    COv2View* m_files = nullptr;
    CCategoriesView* m_categories = nullptr;
    CFindPane* m_find = nullptr;
    QFrame* m_changedBar = nullptr;
    QLabel* m_changedText = nullptr;
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentSeparator = nullptr;
    QStringList m_recentShown;  // the files the recent-file entries name, in their order
    std::map<int, QAction*> m_actions;
};
