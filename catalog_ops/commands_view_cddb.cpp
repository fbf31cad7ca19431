// The panel's freedb lookup: finding the drive that holds the current disc, running the lookup
// dialog, and writing its entry into the disc's record.
#include <QTreeWidgetItem>
#include <algorithm>
#include <charconv>

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

    // Title n belongs to track n + 1, which the disc shows as TrackNN.cda: on a mixed disc whose
    // first track is data, the first track record is Track02.cda and takes the second title.
    // Data files keep their names.
    const auto& titles = dialog.m_arrTrackTitles;
    for (const auto& file : disc->m_lstFiles) {
        const std::string onDisc = file->DiscFileName();
        int track = 0;
        if (onDisc.size() != 11 || !onDisc.starts_with("Track") || !onDisc.ends_with(".cda") ||
            std::from_chars(onDisc.data() + 5, onDisc.data() + 7, track).ptr != onDisc.data() + 7)
            continue;
        if (track >= 1 && static_cast<std::size_t>(track) <= titles.size())
            file->m_strFileName = titles[static_cast<std::size_t>(track) - 1] + ".cda";
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
