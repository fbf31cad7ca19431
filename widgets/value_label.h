#pragma once

#include <QLabel>

namespace ov2 {

// A read-only value in a sunken frame: plain text (a disc named "<b>" shows as typed), which
// the user can select and copy.
QLabel* ValueLabel(QWidget* parent, const char* objectName);

}  // namespace ov2
