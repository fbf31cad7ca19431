#pragma once

#include <QIcon>

namespace ov2 {

// The icon beside every category in the lists of categories.
QIcon CategoryIcon();

}  // namespace ov2
