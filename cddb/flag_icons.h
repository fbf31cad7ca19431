#pragma once

#include <QIcon>

namespace ov2 {

// The 18×12 flag of a row of the freedb server list (0 the central server, 1..9 the mirrors'
// countries), painted by the program; a null icon for any other row.
QIcon FreedbFlagIcon(int row);

}  // namespace ov2
