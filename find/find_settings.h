#pragma once

#include <QStringList>

namespace ov2::find {

// What Find searches beside the open catalogue. These are the user's, not a catalogue's: they
// live in the program's settings (group "Find"), so changing them never marks a catalogue
// modified.
struct CFindSettings {
    QStringList catalogues;     // catalogue files, as the user added them
    bool searchRecent = false;  // the recent catalogues of the File menu as well

    static CFindSettings Load();
    void Save() const;
    // The catalogue files to search: the listed ones, then the recent ones when asked, each
    // once, without `openPath` (the open catalogue is searched as it stands in memory).
    QStringList Files(const QStringList& recentFiles, const QString& openPath) const;
};

}  // namespace ov2::find
