#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>

class QCheckBox;
class QListWidget;

// The part of the settings sheet's "Search" page that says which catalogue files Find searches
// besides the open one. These are the user's settings, not the catalogue's: OK keeps them in the
// program's settings and the catalogue stays unmodified.
class CDialogSheetFind final : public QWidget {
    Q_OBJECT
public:
    explicit CDialogSheetFind(QWidget* parent = nullptr);

    void OnButtonAdd();
    void OnButtonRemove();
    // Keeps the list and the check box (the sheet's OK).
    void Store() const;

    QListWidget* Catalogues() const { return m_list; }
    QCheckBox* SearchRecent() const { return m_recent; }
    // Where "Add…" asks for catalogue files; tests answer instead. Empty: nothing added.
    std::function<QStringList()> m_askFiles;

private:
    QListWidget* m_list = nullptr;
    QCheckBox* m_recent = nullptr;
};
