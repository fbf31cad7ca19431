#pragma once

#include <QStringList>
#include <optional>

class COv2Doc;
class QApplication;
class QWidget;

// Processes the command line's arguments: a new catalogue without one, else the catalogue that
// the first names. False when that catalogue cannot be opened (the user has been told why).
bool OpenFromCommandLine(COv2Doc& doc, const QStringList& arguments);

// Opens as OpenFromCommandLine does and gives the window its first caption: the program's
// name over a new catalogue, the catalogue's own name ("Ov2 - discs.ovd") over a named one.
bool OpenAtStart(COv2Doc& doc, QWidget& frame, const QStringList& arguments);

// Answers --help and --version on standard output before any window exists: the exit code, or
// none when the program is to start.
std::optional<int> AnswerInformationOptions(int argc, char** argv);

// Starts the program: the document, the main window, the catalogue named on the command line
// (or a new one), and the event loop. Returns the exit code.
int RunOv2(QApplication& app);
