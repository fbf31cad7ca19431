#pragma once

#include <QLineEdit>

// The Find box of the main window's toolbar: the query as the user types it. Esc clears it,
// which ends the search.
class CFindBox final : public QLineEdit {
    Q_OBJECT
public:
    explicit CFindBox(QWidget* parent = nullptr);

    // Marks the text as a query that does not parse (or clears the mark).
    void SetMalformed(bool malformed);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
