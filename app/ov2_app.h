#pragma once

#include <QStringList>

class COv2Doc;
class QApplication;

// Processes the command line's arguments: a new catalogue without one, else the catalogue that
// the first names. False when that catalogue cannot be opened (the user has been told why).
bool OpenFromCommandLine(COv2Doc& doc, const QStringList& arguments);

// Starts the program: the document, the main window, the catalogue named on the command line
// (or a new one), and the event loop. Returns the exit code.
int RunOv2(QApplication& app);
