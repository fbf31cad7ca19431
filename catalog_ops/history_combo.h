#pragma once

#include <QComboBox>
#include <QStringList>

class CHistoryComboEdit;
class QListView;

// A drop-down combo box over a history of entered texts (search patterns, borrower names).
// Its drop-down list holds the suggestions of the last type-ahead: the typed text first, then
// the history entries that continue it. The suggestions are shown in a list under the edit that
// never takes the focus, so typing goes on in the edit while the list is open.
class CHistoryCombo final : public QComboBox {
    Q_OBJECT
public:
    explicit CHistoryCombo(QWidget* parent = nullptr);

    CHistoryComboEdit* Edit() const { return m_edit; }
    // Whether the last key typed was neither Delete nor Backspace.
    bool TypeAhead() const;
    // Fills the drop-down list with the typed text and the suggestions, keeps the typed text in
    // the edit with the caret at its end, and shows the suggestion list.
    void ShowSuggestions(const QString& typed, const QStringList& suggestions);
    // Empties the edit and the drop-down list, and closes the suggestion list.
    void Reset();
    QListView* SuggestionList() const { return m_suggestions; }
    bool IsSuggestionListShown() const;

    void showPopup() override;

Q_SIGNALS:
    // The user typed into the edit (not a change made by the program).
    void editChanged();
    // The user chose an entry from the drop-down or the suggestion list.
    void selected();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void PlaceSuggestionList();
    void ChooseSuggestion(int row);

    CHistoryComboEdit* m_edit = nullptr;
    QListView* m_suggestions = nullptr;
};
