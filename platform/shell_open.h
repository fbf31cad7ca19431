#pragma once

#include <QString>
#include <functional>

// Opening a file or an address with the desktop's default application. Like the message boxes,
// the real opener can be replaced, so tests see what would be opened.
namespace ov2 {

// A local path ("/media/cdrom/a.txt") or an address with a scheme ("cdda://sr0/Track 1.wav",
// "https://…"). Returns false when the desktop reports that it cannot open it; `reason` then
// says why, in words for the user ("no application to open it is installed").
bool OpenWithDesktop(const QString& target, QString* reason = nullptr);

using OpenHandler = std::function<bool(const QString& target)>;
// Installs the opener and returns the previous one; an empty handler restores the desktop's.
OpenHandler SetOpenHandler(OpenHandler handler);
// An opener that fails may say why before it returns; without that, a general reason is given.
void SetOpenFailureReason(const QString& reason);

}  // namespace ov2
