// The panel's searches: the parameters from the panel's fields, the refusals, the search
// history, and a result window of its own for every search.
#include <QScreen>

#include "catalog_ops/commands_view.h"
#include "catalog_ops/dialog_search.h"
#include "core/disc_database.h"
#include "core/ov2_doc.h"
#include "platform/message_box.h"
#include "platform/text.h"

void CCommandsView::OnButtonNameSearch() {
    StartSearch("names");
}

void CCommandsView::OnButtonFileSearch() {
    StartSearch("files");
}

void CCommandsView::StartSearch(const char* mode) {
    if (CatalogueIsEmpty()) return;
    // A field that does not read leaves the pattern as it was before the user typed the one
    // shown; the user has been told, and a search for an older pattern would mislead.
    if (!UpdateData(true)) return;
    m_lstSearchParameters.clear();
    const bool discs = std::string_view(mode) == "names";
    auto tell = [](const char* text) {
        ov2::OvMessageBox(text, ov2::MsgButtons::Ok, ov2::MsgIcon::Warning);
    };
    if (m_strSearch.isEmpty()) {
        tell(discs ? "Please, enter a name to search for."
                   : "Please, enter a file name to search for.");
        return;
    }
    // The pattern is remembered even when the search is refused below.
    const std::string pattern = ov2::EncodeText(m_strSearch);
    if (!AddToHistory("SearchCombo", pattern))
        ov2::OvMessageBox("OnButtonNameSearch() #Map Lookup", ov2::MsgButtons::Ok,
                          ov2::MsgIcon::Error);

    m_lstSearchParameters = {pattern, mode};
    if (m_nSearchScope == 0) {
        if (pattern == "*") {
            tell(
                "Please, use this search pattern only with categories.\n"
                "Wildcarts are not implemented in this freeware version.");
            return;
        }
        m_lstSearchParameters.emplace_back("all");
    } else {
        if (m_pDocument->m_lstSelectedCategories.empty()) {
            tell("Please, select categories.");
            return;
        }
        m_lstSearchParameters.emplace_back("byCat");
    }
    OpenSearchResult(m_lstSearchParameters);
}

void CCommandsView::OpenSearchResult(const std::vector<std::string>& parameters) {
    // The window keeps the categories selected now; a later selection does not reach it.
    std::vector<std::string> categories;
    if (!parameters.empty() && parameters.back() == "byCat")
        categories = m_pDocument->m_lstSelectedCategories;
    auto* window = new CDialogSearch(m_pDocument, parameters, std::move(categories), this);
    // Each new window stands a step below and right of the last one still open, so that none
    // hides another whole; at the edge of the screen the steps start again at its corner.
    if (m_pLastSearchWindow && m_pLastSearchWindow->isVisible() &&
        !m_pLastSearchWindow->isMinimized()) {
        const int step = 2 * window->fontMetrics().height();
        QPoint place = m_pLastSearchWindow->pos() + QPoint(step, step);
        if (const QScreen* screen = m_pLastSearchWindow->screen()) {
            const QRect room = screen->availableGeometry();
            if (!room.contains(QRect(place, window->frameSize()))) place = room.topLeft();
        }
        window->move(place);
    }
    m_pLastSearchWindow = window;
    window->show();
    window->raise();
    window->activateWindow();
}
