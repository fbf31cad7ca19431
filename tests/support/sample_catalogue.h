#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/disc_database.h"

namespace ov2::test {

// A file record in `folder` ("d:\music\"), its drive taken from the folder.
std::shared_ptr<COvFileData> MakeFile(std::string_view name, std::string_view folder,
                                      std::string_view size, std::vector<std::string> categories = {});

// A disc as the scan saves it: location "home", outline of the root line and `folderLines`
// (each already indented with TABs, without CR LF).
std::shared_ptr<COvDisc> MakeDisc(std::string_view number, std::string_view name,
                                  std::vector<std::shared_ptr<COvFileData>> files = {},
                                  const std::vector<std::string>& folderLines = {});

// The three settings entries of a new catalogue.
void AddDefaultSettings(COvDiscDatabase& database, std::string_view activeServer = "central (Central Server)");

// The numbers of the discs in list order, blank-separated: "1 2 3 5".
std::string Numbers(const COvDiscDatabase& database);

}  // namespace ov2::test
