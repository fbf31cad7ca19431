#pragma once

// Command ids of the menus, accelerators and popup menus. They are shared by the document, the
// views and the menus, and keep the values the program has always used.
namespace ov2::cmd {

// The document's commands.
inline constexpr int kSettings = 32792;           // "Ov2 Settings"
inline constexpr int kConvertOldFiles = 32794;    // "Convert Old Files"
inline constexpr int kConvertAccel = 32810;       // Ctrl+A
inline constexpr int kCdScan = 32795;             // "CD Scan", Ctrl+Y
inline constexpr int kFindGaps = 32796;           // "Find Gapes", Ctrl+G
inline constexpr int kDeleteCd = 32797;           // "Delete CD"
inline constexpr int kCddb = 32798;               // "CDDB", Ctrl+D
inline constexpr int kCdInfo = 32800;             // "CD Info"
inline constexpr int kLend = 32801;               // "CD Lend / Borrow"
inline constexpr int kGetBack = 32802;            // "Get Back"
inline constexpr int kGetBackAccel = 32817;       // Ctrl+B
inline constexpr int kShowAvailable = 32803;      // "Show Available CDs"
inline constexpr int kShowAvailableAccel = 32815; // Ctrl+H
inline constexpr int kShowLent = 32804;           // "Show Non-Available CDs"
inline constexpr int kShowLentAccel = 32816;      // Ctrl+X
inline constexpr int kCdSearch = 32805;           // "CD Search"
inline constexpr int kCdSearchAccel = 32814;      // Ctrl+Q
inline constexpr int kFileSearch = 32806;         // "File Search"
inline constexpr int kCtrlEnter = 32808;          // Ctrl+Enter
inline constexpr int kDelete = 32811;             // Del
inline constexpr int kLargeIcons = 32812;         // "Large Icons"
inline constexpr int kSmallIcons = 32813;         // "Small Icons"
inline constexpr int kHelp = 32818;               // "Ov2 Help"
inline constexpr int kTipsAndTricks = 32822;      // "Tips And Tricks"
inline constexpr int kRescanDisc = 32823;         // "Rescan Disc": the current disc, in menus
inline constexpr int kFindDuplicates = 32824;     // "Find Duplicates…"

// The single-document cycle.
inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
inline constexpr int kFileMru1 = 57616;  // the four recent files: 57616..57619
inline constexpr int kAppAbout = 57664;
inline constexpr int kAppExit = 57665;

// Popup menu of the disc tree.
inline constexpr int kTreeDelete = 32771;
inline constexpr int kTreeRename = 32772;
inline constexpr int kTreeCdInfo = 32773;

// Popup menu of the file list.
inline constexpr int kFileAttachedCategories = 32780;
inline constexpr int kFileOpenFile = 32781;
inline constexpr int kFileCdInfo = 32782;
inline constexpr int kFileRenameAudio = 32819;

// Operations of the panels that Ctrl+Enter and Del reach; the ids of their buttons and menus.
inline constexpr int kChangeNumber = 1008;      // Ctrl+Enter target 1
inline constexpr int kShowCd = 1010;            // Ctrl+Enter target 3
inline constexpr int kFileSearchButton = 1015;  // Ctrl+Enter target 4
inline constexpr int kLendButton = 1018;        // Ctrl+Enter target 5
inline constexpr int kSaveArtist = 1024;        // Ctrl+Enter target 6
inline constexpr int kCreateCategory = 1030;    // Ctrl+Enter target 7
inline constexpr int kSaveNotes = 1033;         // Ctrl+Enter target 9
inline constexpr int kDeleteCategory = 32776;   // Del target 2; "Delete" of the categories list
inline constexpr int kRemoveAttachedCategory = 32778;  // Del target 3; "&Delete" of the attached list

// The other commands of the categories panel's menus.
inline constexpr int kAttachToCd = 32774;
inline constexpr int kRenameCategory = 32775;
inline constexpr int kViewCds = 32777;
inline constexpr int kAttachToFile = 32783;

// "Delete" in the menu of the attached-categories dialog.
inline constexpr int kFileDlgDelete = 32785;

// The menus of a search result window: over the criteria list, over the result list.
inline constexpr int kSearchDelete = 32788;
inline constexpr int kSearchOpen = 32790;
inline constexpr int kSearchGoTo = 32791;

}  // namespace ov2::cmd
