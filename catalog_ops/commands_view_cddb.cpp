// The panel's freedb lookup: finding the drive that holds the current disc, running the lookup
// dialog, and writing its entry into the disc's record.
#include <QTreeWidgetItem>
#include <algorithm>

#include "app/left_view.h"
#include "app/ov2_view.h"
#include "catalog_ops/commands_view.h"
#include "cddb/dialog_cddb.h"
#include "core/disc_database.h"
#include "core/map_string_to_string.h"
#include "core/ov2_doc.h"
#include "platform/audio_cd.h"
#include "platform/drives.h"
#include "platform/message_box.h"

bool CCommandsView::IsAudioDisc() {
    if (CatalogueIsEmpty()) {
        ov2::OvMessageBox("Please, scan a disc first.", ov2::MsgButtons::Ok, ov2::MsgIcon::Error);
        return false;
    }
    for (const auto& file : CurrentDisc()->m_lstFiles)
        if (file->m_strFileName.view().find(".cda") != std::string_view::npos) return true;
    return false;
}

void CCommandsView::OnCddbCommand() {
    // Each round looks for the disc again, so the user can insert it and press OK.
    for (;;) {
        if (!IsAudioDisc()) {
            ov2::OvMessageBox("Please, select an Audio CD.", ov2::MsgButtons::Ok,
                              ov2::MsgIcon::Warning);
            return;
        }
        const COvDisc* disc = CurrentDisc();
        // The disc is looked for by its first track: a titled track is still TrackNN.cda on the
        // disc, and an audio CD without a file system is found by its table of contents.
        const auto track =
            std::find_if(disc->m_lstFiles.begin(), disc->m_lstFiles.end(), [](const auto& file) {
                return file->m_strFileName.view().find(".cda") != std::string_view::npos;
            });
        const std::string path = COv2View::DiscPath(**track);
        std::optional<std::string> root = COv2View::LocateDiscDrive(path);
        if (!root)
            if (const std::optional<ov2::AudioTrackPlace> track = ov2::LocateAudioTrack(path))
                root = std::string(1, static_cast<char>(track->drive.letter - 'A' + 'a')) + ":\\";
        if (root) {
            OnButtonCddb(*root);
            return;
        }
        if (!COv2View::AskForDisc(disc->m_strNumber)) return;
    }
}

void CCommandsView::OnButtonCddb(const std::string& driveRoot) {
    COvDiscDatabase* database = Database();
    const COvDisc* current = CurrentDisc();
    CDialogCddb dialog(window());
    dialog.m_strDiscNumber = current->m_strNumber.str();
    dialog.m_strDiscName = current->m_strName.str();
    dialog.m_strDrive = driveRoot;
    auto* entry = database->m_pSettings->m_map.Lookup("CDDB");
    dialog.m_pServerSettings = entry ? dynamic_cast<CMapStringToString*>(entry->get()) : nullptr;
    if (!dialog.m_pServerSettings) {
        ov2::OvMessageBox("CCommandsView::OnButtonCddb() #Undefined Error.");
        return;
    }
    if (dialog.exec() != QDialog::Accepted) return;
    if (dialog.m_strStatus != "noError") {
        ov2::OvMessageBox("Error from CDDB received", ov2::MsgButtons::Ok, ov2::MsgIcon::Warning);
        return;
    }
    COvDisc* disc = database->FindDisc(dialog.m_strDiscNumber);
    if (!disc) return;

    // The titles go to the track records in their order; the data files of a mixed disc keep
    // their names.
    std::size_t title = 0;
    for (const auto& file : disc->m_lstFiles) {
        if (title == dialog.m_arrTrackTitles.size()) break;
        if (file->m_strFileName.view().find(".cda") == std::string_view::npos) continue;
        file->m_strFileName = dialog.m_arrTrackTitles[title++] + ".cda";
    }
    if (dialog.m_bReplaceArtist) {
        std::string artist = dialog.m_strArtist;
        if (!dialog.m_strYear.empty()) artist += " (" + dialog.m_strYear + ")";
        database->SetDiscDetails(disc->m_strNumber, artist, disc->m_strQuality, disc->m_strNotes);
    }
    CLeftView* tree = m_pDocument->FindView<CLeftView>();
    // The lookup may have started on one of the disc's folders: the disc's own node takes the
    // new name.
    QTreeWidgetItem* item = tree ? tree->SelectDisc(disc->m_strNumber) : nullptr;
    if (dialog.m_bReplaceName && item)
        tree->ChangeDiscNumberAndName(disc->m_strNumber.str(), dialog.m_strAlbumTitle, false);

    m_pDocument->SetCurrentDisc(disc);
    if (tree) {
        if (QTreeWidgetItem* node = tree->SelectDisc(disc->m_strNumber)) {
            if (COv2View* files = m_pDocument->FindView<COv2View>())
                files->ShowFolder(CLeftView::ItemLabel(node));
        }
    }
    RefreshFromCurrentDisc();
    m_pDocument->SetModifiedFlag();
}
