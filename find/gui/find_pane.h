#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

class CFindBox;
class COv2Doc;
class COvFileData;
class QAction;
class QDockWidget;
class QLabel;
class QMainWindow;
class QMenu;
class QTableView;

namespace ov2::find {
class CFindModel;
class CFindSession;
struct FindResults;
}  // namespace ov2::find

// Find in the main window: the box in the toolbar and, below the views, the count line, the
// line that says why a query does not parse, and the results. Rows open as the file list opens
// its files; "Go to CD/File" shows a row in the disc tree, opening its catalogue first when it
// is another one; "Copy path" and dragging a row give its recorded path.
class CFindPane final : public QWidget {
    Q_OBJECT
public:
    explicit CFindPane(COv2Doc* doc, QWidget* parent = nullptr);
    ~CFindPane() override;

    // Puts the box into the window's toolbar and the pane into a dock below the views; Ctrl+F
    // goes to the box.
    void InstallInto(QMainWindow* window);

    CFindBox* Box() const { return m_box; }
    QTableView* Table() const { return m_table; }
    ov2::find::CFindModel* Model() const { return m_model; }
    ov2::find::CFindSession* Session() const { return m_session.get(); }
    QLabel* CountLine() const { return m_countLine; }
    QLabel* ErrorLine() const { return m_errorLine; }

    void OpenRow(int row);
    void GoToRow(int row);
    void CopyPaths();
    // The Find settings changed (the settings sheet).
    void ReloadSettings();

    // Shows the file (or folder: a file without name) of disc `number` of the open catalogue in
    // the disc tree and the file list; the window sets it.
    std::function<void(const std::string& number, const COvFileData& file)> m_showInTree;

private:
    void OnTextChanged(const QString& text);
    void ShowResults(const std::shared_ptr<const ov2::find::FindResults>& results);
    void ShowError(const QString& error);
    void UpdateCountLine();
    void OnContextMenu(const QPoint& pos);

    COv2Doc* m_pDocument;
    std::unique_ptr<ov2::find::CFindSession> m_session;
    ov2::find::CFindModel* m_model = nullptr;
    CFindBox* m_box = nullptr;
    bool m_bInstalled = false;
    QLabel* m_countLine = nullptr;
    QLabel* m_errorLine = nullptr;
    QTableView* m_table = nullptr;
    QDockWidget* m_dock = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_actionGoTo = nullptr;
    QAction* m_actionCopy = nullptr;
};
