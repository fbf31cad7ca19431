#pragma once

#include <QString>
#include <QWidget>

class CMapStringToString;
class COvDiscDatabase;
class QComboBox;
class QLineEdit;

// The "CDDB Options" page of the settings sheet: the freedb server that lookups use, and the
// contact address the server is greeted with. The chosen server reaches the catalogue at once
// with "Defualt Site"; the address with the sheet's OK or the page's "Save".
class CDialogSheetCddb final : public QWidget {
    Q_OBJECT
public:
    CDialogSheetCddb(COvDiscDatabase* database, const QString& docPath,
                     CMapStringToString* serverSettings, QWidget* parent = nullptr);

    // Puts the address field into the "CDDB" map under "hello"; an empty field removes it.
    void StoreHello();

    void OnButtonDefaultSite();
    void OnButtonSaveCddb();

    QString m_strSite;  // the combo box text

    QComboBox* SiteCombo() const { return m_comboSite; }
    QLineEdit* HelloEdit() const { return m_editHello; }

private:
    void OnInitDialog();

    COvDiscDatabase* m_pDatabase;
    QString m_strDocPath;
    CMapStringToString* m_pServerSettings;  // the catalogue's "CDDB" map; none when it has none
    QComboBox* m_comboSite = nullptr;
    QLineEdit* m_editHello = nullptr;
};
