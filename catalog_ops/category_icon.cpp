#include "catalog_ops/category_icon.h"

#include "widgets/theme_icons.h"

namespace ov2 {

QIcon CategoryIcon() { return ThemeIcon("user-bookmarks", QStyle::SP_DirLinkIcon); }

}  // namespace ov2
