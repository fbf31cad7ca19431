#pragma once

#include <QDialog>
#include <QString>

class CDialogSheetActiveList;
class CDialogSheetCddb;
class CDialogSheetFind;
class CMapStringToOb;
class COvDiscDatabase;
class QListWidget;
class QListWidgetItem;

// "Orvella Settings": the catalogue's own settings, one page at a time: the freedb server
// ("CDDB Options") and the search and borrower histories ("List Options"). Either page can
// write the catalogue into its file at once.
class CSettingsSheet final : public QDialog {
    Q_OBJECT
public:
    // docPath is the catalogue's file, empty for one never saved. Nothing is owned.
    CSettingsSheet(CMapStringToOb* settings, const QString& docPath, COvDiscDatabase* database,
                   QWidget* parent = nullptr);

    CDialogSheetCddb* PageCddb() const { return m_pageCddb; }
    CDialogSheetActiveList* PageLists() const { return m_pageLists; }
    CDialogSheetFind* PageFind() const { return m_pageFind; }
    QListWidget* PageList() const { return m_pageList; }

    void OnClickPageList(QListWidgetItem* item);
    // Stores the pruned histories and the freedb address in the catalogue, then closes.
    void accept() override;

    bool m_bInitialized = false;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowPage(QWidget* page);

    CMapStringToOb* m_pSettings;
    QString m_strDocPath;
    COvDiscDatabase* m_pDatabase;
    QListWidget* m_pageList = nullptr;
    CDialogSheetCddb* m_pageCddb = nullptr;
    CDialogSheetActiveList* m_pageLists = nullptr;
    CDialogSheetFind* m_pageFind = nullptr;  // on the "Search" page, below the histories
};
