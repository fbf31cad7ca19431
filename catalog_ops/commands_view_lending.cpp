// The panel's lending and gap operations.
#include <string>
#include <string_view>

#include "catalog_ops/commands_view.h"
#include "catalog_ops/dialog_available.h"
#include "catalog_ops/dialog_gaps.h"
#include "catalog_ops/dialog_not_available.h"
#include "catalog_ops/disc_gaps.h"
#include "core/disc_database.h"
#include "core/ov2_doc.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/text.h"

namespace {

constexpr std::string_view kHome = "home";

void Tell(std::string_view text, ov2::MsgIcon icon = ov2::MsgIcon::Warning) {
    ov2::OvMessageBox(text, ov2::MsgButtons::Ok, icon);
}

}  // namespace

void CCommandsView::OnButtonLend() {
    if (CatalogueIsEmpty()) return;
    // A field that does not read leaves the borrower text as it was before the user typed the
    // one shown; lending to that older name would give the disc to the wrong person.
    if (!UpdateData(true)) return;
    const COvDisc* current = CurrentDisc();
    if (current->m_strLocation != kHome) {
        Tell("This CD is already given away.");
        return;
    }
    if (m_strLend.isEmpty()) {
        Tell("Please, enter a name.");
        return;
    }
    const std::string borrower = ov2::EncodeText(m_strLend);
    if (!AddToHistory("LendCombo", borrower))
        Tell("CCommandsView::OnButtonLend()  #Map Lookup", ov2::MsgIcon::Error);
    COvDisc* disc = Database()->FindDisc(current->m_strNumber);
    if (!disc) return;  // the working copy names no disc of the catalogue
    const std::string date = ov2::TodayText();
    disc->m_strLocation = borrower;
    disc->m_strLendDate = date;
    m_strLocation = m_strLend;
    Tell(borrower + " " + date, ov2::MsgIcon::Information);
    m_pDocument->SetCurrentDisc(disc);
    m_strLend.clear();
    m_pDocument->SetModifiedFlag();
    UpdateData(false);
}

void CCommandsView::OnButtonGetBack() {
    if (CatalogueIsEmpty()) return;
    const COvDisc* current = CurrentDisc();
    if (current->m_strNumber.empty()) return;
    if (current->m_strLocation == kHome) {
        Tell("This CD is already is available.");
        return;
    }
    COvDisc* disc = Database()->FindDisc(current->m_strNumber);
    if (!disc) return;
    disc->m_strLocation = kHome;
    // The return date replaces the lend date.
    disc->m_strLendDate = ov2::TodayText();
    m_strLocation = ov2::DecodeText(kHome);
    m_pDocument->SetCurrentDisc(disc);
    UpdateData(false);
    m_pDocument->SetModifiedFlag();
}

void CCommandsView::OnButtonShowAvailable() {
    if (CatalogueIsEmpty()) return;
    CDialogAvailable dialog(*Database(), window());
    if (dialog.exec() == QDialog::Accepted && dialog.m_strSelectedNumber != "-1")
        SelectDiscInTree(dialog.m_strSelectedNumber);
}

void CCommandsView::OnButtonShowNotAvailable() {
    if (CatalogueIsEmpty()) return;
    // The borrower text is the filter; one that did not read would filter by an older name.
    if (!UpdateData(true)) return;
    CDialogNotAvailable dialog(
        *Database(), m_strLend, [this] { m_pDocument->SetModifiedFlag(); }, window());
    const bool picked = dialog.exec() == QDialog::Accepted && dialog.m_strSelectedNumber != "-1";
    // The current disc may have come back in the dialog: the working copy and the location
    // shown follow the record, or Lend would refuse a disc that is at home.
    const COvDisc* current = CurrentDisc();
    if (const COvDisc* record = Database()->FindDisc(current->m_strNumber);
        record && record->m_strLocation != current->m_strLocation) {
        m_pDocument->SetCurrentDisc(record);
        m_strLocation = ov2::DecodeText(record->m_strLocation);
        UpdateData(false);
    }
    if (picked) SelectDiscInTree(dialog.m_strSelectedNumber);
}

void CCommandsView::OnButtonGaps() {
    if (CatalogueIsEmpty()) return;
    const ov2::DiscGaps gaps = ov2::FindDiscGaps(*Database());
    if (gaps.numbers.empty()) {
        Tell("No gaps in the cd index", ov2::MsgIcon::Information);
        return;
    }
    CDialogGaps dialog(gaps, window());
    dialog.exec();
}
