#include "platform/iso_image.h"

namespace ov2 {

bool ListIsoImage(const std::string& imagePath, std::vector<ImageEntry>& entries, std::string* error) {
    entries.clear();
    if (error) *error = "ISO images cannot be read yet: " + imagePath;
    return false;
}

std::optional<std::string> ResolveInImage(const std::vector<ImageEntry>&, std::string_view) {
    return std::nullopt;
}

std::optional<std::string> ExtractFromIsoImage(const std::string& imagePath, std::string_view,
                                               std::string* error) {
    if (error) *error = "ISO images cannot be read yet: " + imagePath;
    return std::nullopt;
}

}  // namespace ov2
