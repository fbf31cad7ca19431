#include "app/pane_splitter.h"

#include <QResizeEvent>
#include <algorithm>
#include <numeric>

CPaneSplitter::CPaneSplitter(int mainPane, QWidget* parent)
    : QSplitter(Qt::Horizontal, parent), m_nMainPane(mainPane) {
    // A width the user drags to is the one to keep.
    connect(this, &QSplitter::splitterMoved, this, [this] { m_bSqueezed = false; });
}

void CPaneSplitter::SetComfortableWidth(int pane, int width) {
    if (m_comfortable.size() <= pane) m_comfortable.resize(pane + 1, 0);
    m_comfortable[pane] = width;
}

QList<int> CPaneSplitter::PreferredSizes() const {
    QList<int> widths = sizes();
    if (m_bSqueezed)
        for (int i = 0; i < widths.size() && i < m_preferred.size(); ++i)
            if (i != m_nMainPane) widths[i] = m_preferred[i];
    return widths;
}

void CPaneSplitter::resizeEvent(QResizeEvent* event) {
    QSplitter::resizeEvent(event);
    FitPanes();
}

void CPaneSplitter::FitPanes() {
    QList<int> widths = PreferredSizes();
    if (widths.size() <= m_nMainPane) return;
    const QList<int> actual = sizes();
    const int total = std::accumulate(actual.begin(), actual.end(), 0);  // the row without handles
    if (total <= 0) return;
    const int sides = std::accumulate(widths.begin(), widths.end(), 0) - widths[m_nMainPane];
    const int room = total - (width() + 1) / 2;  // what the side panes may have
    if (sides <= room || sides <= 0) {
        if (m_bSqueezed) {
            m_bSqueezed = false;
            widths[m_nMainPane] = total - sides;
            setSizes(widths);
        }
        return;
    }
    if (!m_bSqueezed) m_preferred = widths;
    m_bSqueezed = true;

    // The side panes give way in two steps, each pane in proportion to what it can spare: first
    // down to the width at which it still shows everything whole, then down to its least width.
    QList<int> comfortable = widths, least = widths;
    int spareFirst = 0, spareThen = 0;
    for (int i = 0; i < widths.size(); ++i) {
        if (i == m_nMainPane) continue;
        least[i] = std::min(m_preferred[i], widget(i)->minimumWidth());
        comfortable[i] = std::clamp(m_comfortable.value(i), least[i], m_preferred[i]);
        spareFirst += m_preferred[i] - comfortable[i];
        spareThen += comfortable[i] - least[i];
    }
    const int need = sides - std::max(room, 0);
    const double first =
        spareFirst > 0 ? std::min(1.0, static_cast<double>(need) / spareFirst) : 1.0;
    const double then = need > spareFirst && spareThen > 0
                            ? std::min(1.0, static_cast<double>(need - spareFirst) / spareThen)
                            : 0.0;
    int given = 0;
    for (int i = 0; i < widths.size(); ++i) {
        if (i == m_nMainPane) continue;
        const double width = m_preferred[i] - first * (m_preferred[i] - comfortable[i]) -
                             then * (comfortable[i] - least[i]);
        widths[i] = static_cast<int>(width);
        given += widths[i];
    }
    widths[m_nMainPane] = std::max(0, total - given);
    setSizes(widths);
}
