#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalogue_lock.h"
#include "core/catalogue_recovery.h"
#include "core/catalogue_save.h"
#include "core/catalogue_watch.h"
#include "core/disc_database.h"
#include "core/ov_view.h"
#include "core/recent_file_list.h"

class CArchive;

// The program's one document: the open catalogue, the working copy of the disc that the panels
// show, the targets of Ctrl+Enter and Del, and the new/open/save cycle. It is the first receiver
// of the menu commands and hands most of them on to the views, which it finds by class name.
class COv2Doc {
public:
    COv2Doc();
    ~COv2Doc();
    COv2Doc(const COv2Doc&) = delete;
    COv2Doc& operator=(const COv2Doc&) = delete;

    // What Del acts on: 1 the selected disc, 2 the selected category, 3 the selected category
    // attached to a disc; 0 nothing.
    int m_nDeleteTarget = 0;
    // What Ctrl+Enter acts on: 1 change number, 2 open file, 3 show disc, 4 file search, 5 lend,
    // 6 save artist and quality, 7 create category, 9 save notes; 0 nothing.
    int m_nEnterTarget = 0;
    std::vector<std::string> m_lstSelectedCategories;  // chosen for a search by category
    std::unique_ptr<COvDisc> m_pCurrentDisc;            // the working copy
    std::unique_ptr<COvDiscDatabase> m_pDatabase;       // the catalogue
    int m_bLargeIcons = 0;

    // The display name of the central freedb server, the default of the "CDDB" setting.
    static const char* const kDefaultCddbServer;

    // ---- views
    void AddView(COvView* view);
    void RemoveView(COvView* view);
    // The first view of that class ("COv2View", "CLeftView", "CCommandsView", "CCategoriesView");
    // none for any other name or while no such view exists.
    COvView* FindView(std::string_view className) const;
    template <class View>
    View* FindView() const {
        return dynamic_cast<View*>(FindView(View::kClassName));
    }
    // The initial update of every view, for a new or opened catalogue.
    void UpdateAllViews();

    // ---- the catalogue
    // Empties the catalogue and the working copy, then gives the new catalogue its default
    // settings.
    void DeleteContents();
    // Fills an empty settings map with "SearchCombo", "LendCombo" and "CDDB".
    void InitDefaultSettings();
    // Makes the working copy show the disc: shares its file records, copies its categories and
    // texts. A null disc empties the working copy.
    void SetCurrentDisc(const COvDisc* disc);
    // Takes the discs of a converted catalogue, which runs in descending order, from its last to
    // its first, so that they arrive ascending, and moves its category names to the end of the
    // catalogue's; its settings are not used. Without memory for it, the catalogue is left as
    // it was and std::bad_alloc is thrown.
    void TakeConvertedCatalogue(COvDiscDatabase& converted);
    void Serialize(CArchive& ar);

    bool IsModified() const { return m_bModified; }
    // Opened read-only: somebody else edits the catalogue, or its folder takes no lock. Nothing
    // changes it then; Save As makes the new file the editable one.
    bool IsReadOnly() const { return m_bReadOnly; }
    // Whether the command changes the catalogue (and so is refused while it is read-only).
    static bool ChangesCatalogue(int nID);
    void SetModifiedFlag(bool modified = true);

    // ---- the single-document cycle
    QString GetTitle() const { return m_strTitle; }
    QString GetPathName() const { return m_strPathName; }
    CRecentFileList& RecentFiles() { return m_recentFiles; }

    // Each returns false when it did not happen (cancelled or failed; failures are reported).
    bool OnNewDocument();
    bool OnOpenDocument(const QString& path);
    bool OnSaveDocument(const QString& path);
    // Asks "Save changes to <title>?" when the catalogue is modified; false when the user
    // cancels or the save fails.
    bool SaveModified();
    // Save, asking for a path when the catalogue has none; Save As, always asking.
    bool DoFileSave();
    bool DoSave(const QString& path);
    // New, Open (after the save prompt), Open of a recent file. Opening the catalogue that is
    // open already only brings its window forward.
    bool OnFileNew();
    bool OpenFile(const QString& path);

    // ---- the file on disk, shared with other programs and machines
    enum class LockChoice { ReadOnly, OpenAnyway, Cancel };
    enum class ChangedFileChoice { SaveAs, Replace, Cancel };
    // Reads the catalogue's file again, dropping the changes on screen; the disc shown stays
    // shown where it still exists. False when the file does not read (the catalogue stays).
    bool ReloadFromDisk();
    // The user keeps the catalogue on screen over the one another program saved: that file is
    // the known one from now on, and Save replaces it without asking again.
    void KeepMine();
    // What the watch noticed: an unmodified catalogue is read again at once, a modified one
    // asks the window to offer Reload and Keep Mine. Called by the watch; tests call it too.
    void OnChangedOnDisk();

    // ---- the recovery copy of unsaved changes
    // Writes it now (after a scan, a rescan, a conversion, a freedb lookup); edits otherwise
    // write it at most every two minutes. Nothing to write without unsaved changes.
    void WriteRecoveryCopy();
    // The session ends the program: the unsaved changes stay in the recovery copy, for the next
    // start to offer, instead of being asked about.
    void QuitKeepingChanges();
    // Takes over a recovered catalogue (read from `copy`) as modified, bound to the catalogue's
    // own file so that Save writes it there; the copy is deleted once this document's own copy
    // holds the changes.
    void Recover(const CCatalogueRecovery::Copy& copy, std::unique_ptr<COvDiscDatabase> recovered);

    // Where the program asks the user for a file name; tests answer instead. An empty result
    // cancels.
    std::function<QString()> m_askOpenPath;
    std::function<QString(const QString& suggestedName)> m_askSavePath;
    // Told when the title (new, open, save) or the recent files change, for the window caption
    // and the File menu.
    std::function<void()> m_titleChanged;
    // Told when the modified flag changes, for the caption's unsaved-changes mark.
    std::function<void()> m_modifiedChanged;
    // Brings the catalogue's window forward.
    std::function<void()> m_bringForward;
    // Opens the settings sheet on the catalogue ("Ov2 Settings").
    std::function<void()> m_showSettings;
    // Shows the conversion dialog ("Convert Old Files") and returns, after OK, the database it
    // built; none when the user cancelled.
    std::function<std::unique_ptr<COvDiscDatabase>()> m_convertOldFiles;
    // The catalogue to open is being edited by `owner`: read-only, anyway, or not at all.
    // Without an answer it opens read-only.
    std::function<LockChoice(const QString& title, const CCatalogueLock::Owner& owner)>
        m_askOpenLocked;
    // Save would replace a file that changed on disk since it was read. Without an answer
    // nothing is saved.
    std::function<ChangedFileChoice(const QString& title)> m_askSaveOverChanged;
    // The file changed on disk while the catalogue on screen has changes of its own.
    std::function<void()> m_changedOnDisk;
    // A note for the status bar ("opened read-only", "read again").
    std::function<void(const QString& note)> m_statusNote;
    // Shows the disc of that number, after the catalogue was read again.
    std::function<void(const std::string& number)> m_showDisc;
    // Whether the window is in the middle of something (a dialog open) that a catalogue read
    // again under it would upset; the change is then taken up a little later.
    std::function<bool()> m_busy;
    // Told when read-only mode begins or ends, for the caption and the commands.
    std::function<void()> m_readOnlyChanged;

    // Whoever keeps something made from the catalogue (Find's index) is told after every edit
    // of it or a save under a new name (`replaced` false) and when another catalogue took its place: new, open (`replaced`
    // true). Edits report through SetModifiedFlag, sometimes before the last record changed:
    // a listener that reads the catalogue does so later, from the event loop.
    using CatalogueListener = std::function<void(bool replaced)>;
    void AddCatalogueListener(const void* owner, CatalogueListener listener);
    void RemoveCatalogueListener(const void* owner);

    // ---- commands
    // Runs a command of the menus or accelerators; false when nobody handled it.
    bool OnCommand(int nID);
    // Whether a menu item may be chosen now.
    bool IsCommandEnabled(int nID) const;

private:
    void SetPathName(const QString& path);
    void SetTitle(const QString& title);
    void TellCatalogueListeners(bool replaced);
    ov2::SaveFault SaveDocument(const QString& path);
    bool IsOpenCatalogue(const QString& path) const;
    bool RouteToView(std::string_view className, int nID);
    bool OnCtrlEnter();
    bool OnDeleteKey();
    bool OnConvertOldFiles();
    bool HandleCommand(int nID);
    void SetReadOnly(bool readOnly);
    // How a catalogue is to be opened, after asking when another holds its lock.
    enum class OpenMode { Editable, ReadOnly, Unwritable, Cancelled };
    OpenMode ModeForOpening(const QString& path);
    void Note(const QString& text) const;

    std::vector<COvView*> m_views;
    bool m_bModified = false;
    QString m_strTitle;
    QString m_strPathName;
    CRecentFileList m_recentFiles;
    std::vector<std::pair<const void*, CatalogueListener>> m_catalogueListeners;
    bool m_bReadOnly = false;
    CCatalogueLock m_lock;
    CCatalogueWatch m_watch{[this] { OnChangedOnDisk(); }};
    CCatalogueRecovery m_recovery;
    QTimer m_recoveryTimer;
    QElapsedTimer m_sinceRecoveryCopy;
    bool m_bKeepRecoveryCopy = false;
    void ScheduleRecoveryCopy();
    void DropRecoveryCopy();
};
