#pragma once

#include <QObject>

class QEventLoop;

namespace ov2 {

// Runs the loop until it quits while the program waits for something outside it (a transfer,
// the desktop's opener): the windows keep painting, but take no input, and no window closes
// under the waiting code.
void RunWithoutInput(QEventLoop& loop);

// While it lives, user input reaches only `open` and what lies inside it (the Cancel or Abort
// button of long work), and no window closes: the windows keep painting, the work can be
// stopped at once, and nothing else acts on half-done state.
class CInputOnlyFor : public QObject {
public:
    explicit CInputOnlyFor(QObject* open);
    ~CInputOnlyFor() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QObject* m_pOpen;
};

// RunWithoutInput, but `open` takes input.
void RunWithInputOnlyFor(QEventLoop& loop, QObject* open);

}  // namespace ov2
