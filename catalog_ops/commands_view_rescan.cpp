// The panel's rescan of the current disc: a new walk of its drive, merged with what the user
// added to the disc, after a summary that the user confirms.
#include <QTreeWidgetItem>
#include <algorithm>
#include <cctype>

#include "app/left_view.h"
#include "app/ov2_view.h"
#include "catalog_ops/categories_view.h"
#include "catalog_ops/commands_view.h"
#include "core/disc_database.h"
#include "core/ov2_doc.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "scan/dialog_scan.h"
#include "scan/disc_rescan.h"

namespace {

// The letter of the drive where a few of the disc's recorded files are found now; 0 when none.
char DriveHoldingDisc(const COvDisc& disc) {
    constexpr std::size_t kProbes = 8;
    const std::size_t step = std::max<std::size_t>(1, disc.m_lstFiles.size() / kProbes);
    for (std::size_t i = 0; i < disc.m_lstFiles.size(); i += step) {
        if (const std::optional<std::string> root =
                COv2View::LocateDiscDrive(COv2View::DiscPath(*disc.m_lstFiles[i])))
            return static_cast<char>(std::toupper(static_cast<unsigned char>(root->front())));
    }
    return 0;
}

}  // namespace

void CCommandsView::OnButtonRescan() {
    if (CatalogueIsEmpty()) return;
    COvDiscDatabase* database = Database();
    COvDisc* disc = database->FindDisc(CurrentDisc()->m_strNumber);
    if (!disc) {
        ov2::OvMessageBox("Please, click on the CD Icon.");
        return;
    }
    const std::string number = disc->m_strNumber.str();

    CDialogScan dialog(window());
    dialog.m_strDiscNumber = number;
    dialog.m_strDiscName = disc->m_strName.str();
    dialog.SetRescan(DriveHoldingDisc(*disc));
    // Files that kept their size and time are not read again for their fingerprints.
    dialog.m_knownFingerprint = ov2::KnownFingerprints(disc->m_lstFiles);
    if (dialog.exec() != QDialog::Accepted) return;

    // The old records stay untouched until the user agrees.
    ov2::RescanMerge merge = ov2::MergeRescan(disc->m_lstFiles, dialog.m_pDisc->m_lstFiles);
    const std::string drive = dialog.m_strDrive.substr(0, 2);
    if (!merge.sameDisc &&
        ov2::OvMessageBox("Drive " + drive + " seems to hold another disc than disc " + number +
                              " \"" + disc->m_strName.str() +
                              "\": none of its folders or files are there.\nRescan anyway?",
                          ov2::MsgButtons::YesNo, ov2::MsgIcon::Warning,
                          ov2::MsgResult::No) != ov2::MsgResult::Yes)
        return;
    if (ov2::OvMessageBox(ov2::RescanSummaryLine(number, merge.summary) +
                              " Update the catalogue?",
                          ov2::MsgButtons::YesNo, ov2::MsgIcon::Question) != ov2::MsgResult::Yes)
        return;

    ov2::ApplyRescan(*disc, std::move(merge), dialog.m_pDisc->m_strFolderTree, ov2::TodayText(),
                     dialog.m_pDisc->m_facts);
    m_pDocument->SetCurrentDisc(disc);
    if (CLeftView* tree = m_pDocument->FindView<CLeftView>()) {
        if (QTreeWidgetItem* item = tree->RebuildDiscBranch(*disc)) {
            if (COv2View* files = m_pDocument->FindView<COv2View>())
                files->ShowFolder(CLeftView::ItemLabel(item));
        }
    }
    if (CCategoriesView* categories = m_pDocument->FindView<CCategoriesView>())
        categories->RefreshAttachedCategories();
    RefreshFromCurrentDisc();
    m_pDocument->SetModifiedFlag();
}
