#include "catalog_ops/history_combo.h"

#include <QEvent>
#include <QKeyEvent>
#include <QListView>
#include <QSignalBlocker>
#include <algorithm>

#include "catalog_ops/history_combo_edit.h"

namespace {
constexpr int kMaxVisibleSuggestions = 10;
}

CHistoryCombo::CHistoryCombo(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    // Entries enter a history only through the operations that use them, never by Return.
    setInsertPolicy(QComboBox::NoInsert);
    m_edit = new CHistoryComboEdit(this);
    setLineEdit(m_edit);
    // The combo's own completion would fill in text the user did not type.
    setCompleter(nullptr);

    // A tool-tip window: it floats over the panel without taking the focus or the keyboard.
    m_suggestions = new QListView(this);
    m_suggestions->setWindowFlags(Qt::ToolTip);
    m_suggestions->setAttribute(Qt::WA_ShowWithoutActivating);
    m_suggestions->setFocusPolicy(Qt::NoFocus);
    m_suggestions->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_suggestions->setUniformItemSizes(true);
    m_suggestions->setModel(model());
    m_suggestions->hide();
    m_edit->SetSuggestionList(m_suggestions);

    connect(m_edit, &QLineEdit::textEdited, this, &CHistoryCombo::editChanged);
    connect(m_edit, &CHistoryComboEdit::suggestionChosen, this, &CHistoryCombo::ChooseSuggestion);
    connect(m_suggestions, &QListView::clicked, this,
            [this](const QModelIndex& index) { ChooseSuggestion(index.row()); });
    connect(this, &QComboBox::activated, this, &CHistoryCombo::selected);
}

bool CHistoryCombo::TypeAhead() const {
    return m_edit->TypeAhead();
}

bool CHistoryCombo::IsSuggestionListShown() const {
    return m_suggestions->isVisible();
}

void CHistoryCombo::ShowSuggestions(const QString& typed, const QStringList& suggestions) {
    {
        // Emptying the list empties the edit and the first item added becomes current; the
        // typed text is put back afterwards.
        const QSignalBlocker blocker(this);
        clear();
        addItem(typed);
        addItems(suggestions);
        setCurrentIndex(0);
        if (m_edit->text() != typed) m_edit->setText(typed);
    }
    m_edit->setCursorPosition(static_cast<int>(typed.size()));
    m_suggestions->setCurrentIndex(QModelIndex());
    PlaceSuggestionList();
    if (!m_suggestions->isVisible()) {
        // The window that holds the combo moves or loses the focus: the list goes away.
        window()->installEventFilter(this);
        m_suggestions->show();
    }
    m_suggestions->raise();
}

void CHistoryCombo::Reset() {
    m_suggestions->hide();
    const QSignalBlocker blocker(this);
    clear();
    m_edit->clear();
}

void CHistoryCombo::PlaceSuggestionList() {
    const int rows = std::min(count(), kMaxVisibleSuggestions);
    const int rowHeight = std::max(m_suggestions->sizeHintForRow(0), fontMetrics().height());
    const int frame = 2 * m_suggestions->frameWidth();
    m_suggestions->setGeometry(
        QRect(mapToGlobal(QPoint(0, height())), QSize(width(), rows * rowHeight + frame)));
}

void CHistoryCombo::ChooseSuggestion(int row) {
    if (row < 0 || row >= count()) return;
    m_suggestions->hide();
    {
        const QSignalBlocker blocker(this);
        setCurrentIndex(row);
    }
    m_edit->setText(itemText(row));
    Q_EMIT selected();
}

void CHistoryCombo::keyPressEvent(QKeyEvent* event) {
    // The combo has the focus and hands the edit its keys, except Up and Down, which step
    // through its items; while the suggestions are shown, those keys belong to the list.
    if (m_suggestions->isVisible()) {
        m_edit->event(event);
        return;
    }
    QComboBox::keyPressEvent(event);
}

void CHistoryCombo::showPopup() {
    m_suggestions->hide();
    QComboBox::showPopup();
}

bool CHistoryCombo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window()) {
        switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::Hide:
            case QEvent::WindowDeactivate:
                m_suggestions->hide();
                break;
            default:
                break;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

void CHistoryCombo::hideEvent(QHideEvent* event) {
    m_suggestions->hide();
    QComboBox::hideEvent(event);
}
