#pragma once

#include <QLineEdit>

class QListView;

// The edit of a history combo box. It remembers whether the last key typed was one that adds
// text (type-ahead) or one that removes it (Delete, Backspace), so that a deletion is not undone
// at once by a new suggestion. While the combo's suggestion list is open, the edit also steers
// it from the keyboard: the list never takes the focus, so the window's accelerators keep
// working while it is shown.
class CHistoryComboEdit final : public QLineEdit {
    Q_OBJECT
public:
    explicit CHistoryComboEdit(QWidget* parent = nullptr);

    // Whether the last key pressed was neither Delete nor Backspace.
    bool TypeAhead() const { return m_bTypeAhead; }
    void SetSuggestionList(QListView* list) { m_suggestions = list; }

Q_SIGNALS:
    // Return or Enter chose the highlighted row of the suggestion list.
    void suggestionChosen(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool SteerSuggestions(QKeyEvent* event);

    bool m_bTypeAhead = false;
    QListView* m_suggestions = nullptr;
};
