#include "core/ov2_doc.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <iterator>
#include <new>

#include "core/archive.h"
#include "core/catalogue_file.h"
#include "core/catalogue_save.h"
#include "core/command_ids.h"
#include "core/map_string_to_string.h"
#include "platform/message_box.h"

using namespace ov2::cmd;

const char* const COv2Doc::kDefaultCddbServer = "gnudb.gnudb.org (Central Server)";

namespace {

std::string Utf8(const QString& text) { return text.toStdString(); }

void FillDefaultSettings(COvDiscDatabase& database) {
    auto& settings = database.m_pSettings->m_map;
    if (!settings.IsEmpty()) return;
    settings.SetAt("SearchCombo", std::make_shared<CStringList>());
    settings.SetAt("LendCombo", std::make_shared<CStringList>());
    auto cddb = std::make_shared<CMapStringToString>();
    cddb->m_map.SetAt("active", COv2Doc::kDefaultCddbServer);
    settings.SetAt("CDDB", std::move(cddb));
}

}  // namespace

COv2Doc::COv2Doc()
    : m_pCurrentDisc(std::make_unique<COvDisc>()),
      m_pDatabase(std::make_unique<COvDiscDatabase>()) {
    m_recoveryTimer.setSingleShot(true);
    QObject::connect(&m_recoveryTimer, &QTimer::timeout, &m_recoveryTimer,
                     [this] { WriteRecoveryCopy(); });
}

// A clean end: the changes were saved or dropped on purpose, unless the session ended the
// program and they wait in the recovery copy.
COv2Doc::~COv2Doc() {
    if (!m_bKeepRecoveryCopy) m_recovery.Remove();
}

// ---------------------------------------------------------------- views

void COv2Doc::AddView(COvView* view) { m_views.push_back(view); }

void COv2Doc::RemoveView(COvView* view) { std::erase(m_views, view); }

COvView* COv2Doc::FindView(std::string_view className) const {
    static constexpr std::string_view kKnown[] = {"COv2View", "CLeftView", "CCommandsView", "CCategoriesView"};
    if (std::find(std::begin(kKnown), std::end(kKnown), className) == std::end(kKnown)) return nullptr;
    for (COvView* view : m_views)
        if (className == view->GetViewClassName()) return view;
    return nullptr;
}

void COv2Doc::UpdateAllViews() {
    for (COvView* view : m_views) view->OnInitialUpdate();
}

// ---------------------------------------------------------------- the catalogue

void COv2Doc::DeleteContents() {
    // The working copy lets go of the file records first; the records of the discs go with the
    // last disc or copy that holds them.
    m_pCurrentDisc = std::make_unique<COvDisc>();
    m_pDatabase = std::make_unique<COvDiscDatabase>();
    InitDefaultSettings();
}

void COv2Doc::InitDefaultSettings() {
    FillDefaultSettings(*m_pDatabase);
}

void COv2Doc::SetCurrentDisc(const COvDisc* disc) {
    if (!disc) {
        *m_pCurrentDisc = COvDisc();
        return;
    }
    if (disc != m_pCurrentDisc.get()) *m_pCurrentDisc = *disc;
}

void COv2Doc::TakeConvertedCatalogue(COvDiscDatabase& converted) {
    auto& discs = converted.m_lstDiscs;
    auto& names = converted.m_pCategories->m_strings;
    auto& ownDiscs = m_pDatabase->m_lstDiscs;
    auto& categories = m_pDatabase->m_pCategories->m_strings;
    // Room first: once the lists have it, taking over cannot fail halfway.
    ownDiscs.reserve(ownDiscs.size() + discs.size());
    categories.reserve(categories.size() + names.size());
    ownDiscs.insert(ownDiscs.end(), discs.rbegin(), discs.rend());
    discs.clear();
    categories.insert(categories.end(), std::make_move_iterator(names.begin()),
                      std::make_move_iterator(names.end()));
    names.clear();
}

void COv2Doc::Serialize(CArchive& ar) { m_pDatabase->Serialize(ar); }

void COv2Doc::SetModifiedFlag(bool modified) {
    // Every edit says so, also one after the first: the listeners follow each of them.
    if (modified) {
        TellCatalogueListeners(false);
        ScheduleRecoveryCopy();
    } else {
        DropRecoveryCopy();
    }
    if (m_bModified == modified) return;
    m_bModified = modified;
    if (m_modifiedChanged) m_modifiedChanged();
}

void COv2Doc::AddCatalogueListener(const void* owner, CatalogueListener listener) {
    m_catalogueListeners.emplace_back(owner, std::move(listener));
}

void COv2Doc::RemoveCatalogueListener(const void* owner) {
    std::erase_if(m_catalogueListeners, [owner](const auto& entry) { return entry.first == owner; });
}

void COv2Doc::TellCatalogueListeners(bool replaced) {
    // A copy: a listener may add or remove listeners.
    const auto listeners = m_catalogueListeners;
    for (const auto& [owner, listener] : listeners) listener(replaced);
}

// ---------------------------------------------------------------- new, open, save

void COv2Doc::SetTitle(const QString& title) {
    m_strTitle = title;
    if (m_titleChanged) m_titleChanged();
}

void COv2Doc::SetPathName(const QString& path) {
    m_strPathName = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    SetTitle(path.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(path).fileName());
}

bool COv2Doc::OnNewDocument() {
    DeleteContents();
    m_bModified = false;
    DropRecoveryCopy();
    m_lock.Release();
    m_watch.Watch(QString());
    SetReadOnly(false);
    SetPathName(QString());
    UpdateAllViews();
    TellCatalogueListeners(true);
    return true;
}

void COv2Doc::Note(const QString& text) const {
    if (m_statusNote) m_statusNote(text);
}

void COv2Doc::SetReadOnly(bool readOnly) {
    if (m_bReadOnly == readOnly) return;
    m_bReadOnly = readOnly;
    if (m_readOnlyChanged) m_readOnlyChanged();
}

COv2Doc::OpenMode COv2Doc::ModeForOpening(const QString& path) {
    const CCatalogueLock::Inspection inspection = CCatalogueLock::Inspect(path);
    switch (inspection.state) {
        case CCatalogueLock::State::Held:
            if (!m_askOpenLocked) return OpenMode::ReadOnly;
            switch (m_askOpenLocked(QFileInfo(path).fileName(), *inspection.owner)) {
                case LockChoice::ReadOnly:
                    return OpenMode::ReadOnly;
                case LockChoice::OpenAnyway:
                    return OpenMode::Editable;
                case LockChoice::Cancel:
                    return OpenMode::Cancelled;
            }
            return OpenMode::Cancelled;
        case CCatalogueLock::State::Unwritable:
            return OpenMode::Unwritable;
        case CCatalogueLock::State::Free:
            break;
    }
    return OpenMode::Editable;
}

bool COv2Doc::OnOpenDocument(const QString& path) {
    OpenMode mode = ModeForOpening(path);
    if (mode == OpenMode::Cancelled) return false;
    // The file is read completely into a catalogue of its own first: one that cannot be read
    // leaves the open catalogue, its changes and its name as they were.
    auto database = std::make_unique<COvDiscDatabase>();
    FillDefaultSettings(*database);  // the file's settings entries replace these
    std::string error;
    if (!ReadCatalogueFile(path.toStdString(), *database, &error)) {
        // A recent file that no longer opens leaves the list.
        m_recentFiles.Remove(QFileInfo(path).absoluteFilePath());
        if (m_titleChanged) m_titleChanged();
        ov2::OvMessageBox("Failed to open document.\n\n" + Utf8(path) + ": " + error, ov2::MsgButtons::Ok,
                          ov2::MsgIcon::Error);
        return false;
    }
    // The lock is taken once the file has been read: a file that does not open takes nobody's
    // lock away.
    CCatalogueLock lock;
    if (mode == OpenMode::Editable && !lock.Acquire(path)) mode = OpenMode::Unwritable;
    DeleteContents();
    m_pDatabase = std::move(database);
    m_bModified = false;
    DropRecoveryCopy();
    m_lock = std::move(lock);
    m_watch.Watch(QFileInfo(path).absoluteFilePath());
    SetReadOnly(mode != OpenMode::Editable);
    // The list first: the title's news refreshes the menu, which must name this file already.
    m_recentFiles.Add(path);
    SetPathName(path);
    UpdateAllViews();
    TellCatalogueListeners(true);
    if (mode == OpenMode::Unwritable)
        Note(m_strTitle +
             QStringLiteral(" lies in a folder that cannot be written: opened read-only."));
    return true;
}

bool COv2Doc::OnSaveDocument(const QString& path) {
    return SaveDocument(path) == ov2::SaveFault::None;
}

ov2::SaveFault COv2Doc::SaveDocument(const QString& path) {
    std::string reason;
    const ov2::SaveFault fault = ov2::SaveCatalogueFile(path, *m_pDatabase, &reason);
    if (fault != ov2::SaveFault::None) {
        ov2::OvMessageBox("Failed to save document.\n\n" + Utf8(path) + ": " + reason,
                          ov2::MsgButtons::Ok, ov2::MsgIcon::Error);
        return fault;
    }
    // The file saved is the one this program edits now: under a new name it takes the lock
    // there (and leaves the old one), and it is the file the watch compares with.
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (absolute != m_strPathName || !m_lock.IsHeld()) {
        CCatalogueLock lock;
        if (lock.Acquire(absolute)) m_lock = std::move(lock);
        m_watch.Watch(absolute);
        SetReadOnly(!m_lock.IsHeld());
    } else {
        m_watch.TakeStamp();
    }
    m_recentFiles.Add(path);
    SetPathName(path);
    SetModifiedFlag(false);
    TellCatalogueListeners(false);  // its name, which results show, may have changed
    return fault;
}

bool COv2Doc::SaveModified() {
    if (!m_bModified) return true;
    switch (ov2::OvMessageBox("Save changes to " + Utf8(m_strTitle) + "?",
                              ov2::MsgButtons::YesNoCancel, ov2::MsgIcon::Question)) {
        case ov2::MsgResult::Yes: return DoFileSave();
        case ov2::MsgResult::No: return true;
        default: return false;
    }
}

bool COv2Doc::DoFileSave() {
    return DoSave(m_bReadOnly ? QString() : m_strPathName);
}

bool COv2Doc::DoSave(const QString& path) {
    // Another program saved the file since it was read: replacing it is the user's decision.
    if (!path.isEmpty() && path == m_strPathName && m_watch.ChangedOnDisk()) {
        const ChangedFileChoice choice =
            m_askSaveOverChanged ? m_askSaveOverChanged(m_strTitle) : ChangedFileChoice::Cancel;
        if (choice == ChangedFileChoice::Cancel) return false;
        if (choice == ChangedFileChoice::SaveAs) return DoSave(QString());
    }
    QString target = path;
    if (target.isEmpty()) {
        if (!m_askSavePath) return false;
        target = m_askSavePath(m_strTitle);
        if (target.isEmpty()) return false;
    }
    const ov2::SaveFault fault = SaveDocument(target);
    if (fault != ov2::SaveFault::File || path.isEmpty() || !m_askSavePath)
        return fault == ov2::SaveFault::None;
    // The catalogue's own file cannot be replaced (made read-only, or gone with its folder):
    // the changes are saved elsewhere, where the user says.
    target = m_askSavePath(m_strTitle);
    return !target.isEmpty() && OnSaveDocument(target);
}

bool COv2Doc::OnFileNew() { return SaveModified() && OnNewDocument(); }

bool COv2Doc::IsOpenCatalogue(const QString& path) const {
    if (m_strPathName.isEmpty()) return false;
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(m_strPathName).canonicalFilePath();
}

bool COv2Doc::OpenFile(const QString& path) {
    if (path.isEmpty()) return false;
    // The catalogue is open already: nothing to read again, nothing to ask.
    if (IsOpenCatalogue(path)) {
        if (m_bringForward) m_bringForward();
        return true;
    }
    if (!SaveModified()) return false;
    return OnOpenDocument(path);
}

// ---------------------------------------------------------------- the file on disk

bool COv2Doc::ReloadFromDisk() {
    if (m_strPathName.isEmpty()) return false;
    auto database = std::make_unique<COvDiscDatabase>();
    FillDefaultSettings(*database);
    std::string error;
    if (!ReadCatalogueFile(m_strPathName.toStdString(), *database, &error)) {
        ov2::OvMessageBox("Failed to open document.\n\n" + Utf8(m_strPathName) + ": " + error,
                          ov2::MsgButtons::Ok, ov2::MsgIcon::Error);
        return false;
    }
    const std::string shown = m_pCurrentDisc ? m_pCurrentDisc->m_strNumber.str() : std::string();
    DeleteContents();
    m_pDatabase = std::move(database);
    m_watch.TakeStamp();
    m_bModified = true;  // so that the flag's news reaches the caption
    SetModifiedFlag(false);
    UpdateAllViews();
    TellCatalogueListeners(true);
    if (!shown.empty() && m_pDatabase->FindDisc(shown) && m_showDisc) m_showDisc(shown);
    return true;
}

void COv2Doc::KeepMine() {
    m_watch.TakeStamp();
}

void COv2Doc::OnChangedOnDisk() {
    // A dialog at work (a scan) keeps the catalogue it works on; the change waits for it.
    if (m_busy && m_busy()) {
        // The timer is the document's own, so a closed document is never called back.
        QTimer::singleShot(1000, &m_recoveryTimer, [this] { OnChangedOnDisk(); });
        return;
    }
    if (!m_watch.ChangedOnDisk()) return;
    if (m_bModified) {
        if (m_changedOnDisk) m_changedOnDisk();
        return;
    }
    if (ReloadFromDisk())
        Note(m_strTitle +
             QStringLiteral(" was changed on disk by another program and has been read again."));
}

// ---------------------------------------------------------------- the recovery copy

void COv2Doc::ScheduleRecoveryCopy() {
    // Without an event loop (the command-line tool) nothing runs later; its work is saved
    // before it ends.
    if (m_recoveryTimer.isActive() || !QCoreApplication::instance()) return;
    // The first change after a while is kept at once; later ones wait for the two minutes.
    constexpr qint64 kInterval = 2 * 60 * 1000;
    const qint64 since = m_sinceRecoveryCopy.isValid() ? m_sinceRecoveryCopy.elapsed() : kInterval;
    m_recoveryTimer.start(static_cast<int>(std::max<qint64>(0, kInterval - since)));
}

void COv2Doc::DropRecoveryCopy() {
    m_recoveryTimer.stop();
    m_recovery.Remove();
}

void COv2Doc::WriteRecoveryCopy() {
    m_recoveryTimer.stop();
    if (!m_bModified) return;
    std::string error;
    // A copy that cannot be written leaves the last one; the catalogue itself is untouched.
    if (m_recovery.Write(*m_pDatabase, m_strPathName, &error)) m_sinceRecoveryCopy.start();
}

void COv2Doc::QuitKeepingChanges() {
    WriteRecoveryCopy();
    m_bKeepRecoveryCopy = m_recovery.HasCopy();
}

void COv2Doc::Recover(const CCatalogueRecovery::Copy& copy,
                      std::unique_ptr<COvDiscDatabase> recovered) {
    OpenMode mode = copy.original.isEmpty() ? OpenMode::Editable : ModeForOpening(copy.original);
    CCatalogueLock lock;
    if (mode == OpenMode::Editable && !copy.original.isEmpty() && !lock.Acquire(copy.original))
        mode = OpenMode::Unwritable;
    DeleteContents();
    m_pDatabase = std::move(recovered);
    DropRecoveryCopy();
    m_lock = std::move(lock);
    m_watch.Watch(copy.original.isEmpty() ? QString()
                                          : QFileInfo(copy.original).absoluteFilePath());
    // Recovered changes are never dropped by a question cancelled: read-only, they still go
    // elsewhere with Save As.
    SetReadOnly(mode != OpenMode::Editable);
    SetPathName(copy.original);
    m_bModified = false;
    SetModifiedFlag(true);
    UpdateAllViews();
    TellCatalogueListeners(true);
    WriteRecoveryCopy();
    if (m_recovery.HasCopy()) CCatalogueRecovery::Delete(copy);
}

// ---------------------------------------------------------------- commands

bool COv2Doc::ChangesCatalogue(int nID) {
    switch (nID) {
        case kFileSave:
        case kCdScan:
        case kDeleteCd:
        case kRescanDisc:
        case kCddb:
        case kLend:
        case kGetBack:
        case kGetBackAccel:
        case kConvertOldFiles:
        case kConvertAccel:
        case kSettings:
        case kTreeDelete:
        case kTreeRename:
        case kFileAttachedCategories:
        case kFileRenameAudio:
        case kChangeNumber:
        case kLendButton:
        case kSaveArtist:
        case kCreateCategory:
        case kSaveNotes:
        case kDeleteCategory:
        case kRemoveAttachedCategory:
        case kAttachToCd:
        case kRenameCategory:
        case kAttachToFile:
            return true;
        default:
            return false;
    }
}

bool COv2Doc::RouteToView(std::string_view className, int nID) {
    COvView* view = FindView(className);
    return view && view->OnViewCommand(nID);
}

bool COv2Doc::IsCommandEnabled(int nID) const {
    if (m_bReadOnly && ChangesCatalogue(nID)) return false;
    if (nID == kLargeIcons) return m_bLargeIcons == 0;
    if (nID == kSmallIcons) return m_bLargeIcons != 0;
    if (nID == kRescanDisc) return m_pCurrentDisc && !m_pCurrentDisc->m_strNumber.empty();
    return true;
}

bool COv2Doc::OnCtrlEnter() {
    const int target = m_nEnterTarget;
    // Read-only, only what looks something up goes ahead: opening a file, showing a disc,
    // searching.
    if (m_bReadOnly && target != 2 && target != 3 && target != 4) {
        m_nEnterTarget = 0;
        return false;
    }
    if (target != 4) m_nEnterTarget = 0;
    switch (target) {
        case 1: return RouteToView("CLeftView", kChangeNumber);
        case 2: return RouteToView("COv2View", kFileOpenFile);
        case 3: return RouteToView("CLeftView", kShowCd);
        case 4: return RouteToView("CLeftView", kFileSearchButton);
        case 5: return RouteToView("CLeftView", kLendButton);
        case 6: return RouteToView("CLeftView", kSaveArtist);
        case 7: return RouteToView("CCategoriesView", kCreateCategory);
        case 9: return RouteToView("CCategoriesView", kSaveNotes);
        default: return false;
    }
}

bool COv2Doc::OnDeleteKey() {
    if (m_bReadOnly) return false;
    switch (m_nDeleteTarget) {
        case 1:
            m_nDeleteTarget = 0;
            return OnCommand(kDeleteCd);
        case 2:
            m_nDeleteTarget = 0;
            return RouteToView("CCategoriesView", kDeleteCategory);
        case 3:
            m_nDeleteTarget = 0;
            return RouteToView("CCategoriesView", kRemoveAttachedCategory);
        default:
            return false;
    }
}

bool COv2Doc::OnConvertOldFiles() {
    if (!m_pDatabase->IsEmpty()) {
        ov2::OvMessageBox("Please, save your data first\n and use this function only with empty documents.",
                          ov2::MsgButtons::Ok, ov2::MsgIcon::Error);
        return true;
    }
    if (!m_convertOldFiles) return false;
    const std::unique_ptr<COvDiscDatabase> converted = m_convertOldFiles();
    // OK after a failed conversion, or none, hands over nothing: the catalogue stays unchanged.
    if (!converted ||
        (converted->m_lstDiscs.empty() && converted->m_pCategories->m_strings.empty()))
        return true;
    try {
        TakeConvertedCatalogue(*converted);
    } catch (const std::bad_alloc&) {
        ov2::OvMessageBox(
            "The Converted Catalogue Could Not Be Taken Over:\r\n\nnot enough memory"
            "\r\n\nThe Convert Process has been terminated!",
            ov2::MsgButtons::Ok, ov2::MsgIcon::Error);
        return true;
    }
    for (const char* name : {"CLeftView", "CCategoriesView"})
        if (COvView* view = FindView(name)) view->OnInitialUpdate();
    SetModifiedFlag();
    return true;
}

bool COv2Doc::OnCommand(int nID) {
    if (m_bReadOnly && ChangesCatalogue(nID) && nID != kFileSave) return false;
    // Work that took long to do is kept in the recovery copy as soon as it is done.
    switch (nID) {
        case kCdScan:
        case kRescanDisc:
        case kCddb:
        case kConvertOldFiles:
        case kConvertAccel: {
            const bool handled = HandleCommand(nID);
            if (m_bModified) WriteRecoveryCopy();
            return handled;
        }
        default:
            return HandleCommand(nID);
    }
}

bool COv2Doc::HandleCommand(int nID) {
    const bool empty = m_pDatabase->IsEmpty();
    switch (nID) {
        case kFileNew: return OnFileNew();
        case kFileOpen: return m_askOpenPath && OpenFile(m_askOpenPath());
        case kFileSave: return DoFileSave();
        case kFileSaveAs: return DoSave(QString());
        case kFileMru1: case kFileMru1 + 1: case kFileMru1 + 2: case kFileMru1 + 3: {
            const int i = nID - kFileMru1;
            return i < m_recentFiles.Files().size() && OpenFile(m_recentFiles.Files()[i]);
        }
        case kCtrlEnter: return OnCtrlEnter();
        case kDelete: return OnDeleteKey();
        case kLargeIcons: case kSmallIcons:
            m_bLargeIcons = nID == kLargeIcons ? 1 : 0;
            RouteToView("COv2View", nID);
            return true;
        // Guarded commands do nothing, silently, while the catalogue holds no disc.
        case kFindGaps: case kDeleteCd: case kCddb: case kCdInfo: case kRescanDisc:
            return !empty && RouteToView("CLeftView", nID);
        case kSettings:
            if (!m_showSettings) return false;
            m_showSettings();
            return true;
        case kConvertOldFiles: case kConvertAccel:
            return OnConvertOldFiles();
        case kHelp: case kTipsAndTricks:
            return false;  // the main window shows the help
        case kCdScan: case kLend: case kGetBack: case kGetBackAccel: case kShowAvailable:
        case kShowAvailableAccel: case kShowLent: case kShowLentAccel: case kCdSearch:
        case kCdSearchAccel: case kFileSearch:
            return RouteToView("CLeftView", nID);
        default:
            return false;
    }
}
