#include "catalog_ops/history_combo_edit.h"

#include <QKeyEvent>
#include <QListView>

CHistoryComboEdit::CHistoryComboEdit(QWidget* parent) : QLineEdit(parent) {}

void CHistoryComboEdit::keyPressEvent(QKeyEvent* event) {
    m_bTypeAhead = event->key() != Qt::Key_Delete && event->key() != Qt::Key_Backspace;
    if (SteerSuggestions(event)) return;
    QLineEdit::keyPressEvent(event);
}

bool CHistoryComboEdit::SteerSuggestions(QKeyEvent* event) {
    if (!m_suggestions || !m_suggestions->isVisible()) return false;
    // Ctrl+Enter and the other accelerators belong to the window, not to the list.
    if (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) return false;
    QAbstractItemModel* model = m_suggestions->model();
    const int rows = model ? model->rowCount() : 0;
    const int current =
        m_suggestions->currentIndex().isValid() ? m_suggestions->currentIndex().row() : -1;
    switch (event->key()) {
        case Qt::Key_Down:
        case Qt::Key_Up: {
            if (rows == 0) return true;
            const int step = event->key() == Qt::Key_Down ? 1 : -1;
            const int row =
                current < 0 ? (step > 0 ? 0 : rows - 1) : (current + step + rows) % rows;
            m_suggestions->setCurrentIndex(model->index(row, m_suggestions->modelColumn()));
            return true;
        }
        case Qt::Key_Return:
        case Qt::Key_Enter:
            m_suggestions->hide();
            if (current >= 0) Q_EMIT suggestionChosen(current);
            return true;
        case Qt::Key_Escape:
            m_suggestions->hide();
            return true;
        default:
            return false;
    }
}

void CHistoryComboEdit::focusOutEvent(QFocusEvent* event) {
    if (m_suggestions) m_suggestions->hide();
    QLineEdit::focusOutEvent(event);
}
