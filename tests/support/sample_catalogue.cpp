#include "tests/support/sample_catalogue.h"

#include "core/map_string_to_string.h"

namespace ov2::test {

std::shared_ptr<COvFileData> MakeFile(std::string_view name, std::string_view folder,
                                      std::string_view size, std::vector<std::string> categories) {
    auto file = std::make_shared<COvFileData>();
    file->m_strFileName = name;
    file->m_strFolder = folder;
    file->m_strSize = size;
    file->m_strDrive = folder.substr(0, folder.find('\\'));
    file->m_lstCategories = std::move(categories);
    return file;
}

std::shared_ptr<COvDisc> MakeDisc(std::string_view number, std::string_view name,
                                  std::vector<std::shared_ptr<COvFileData>> files,
                                  const std::vector<std::string>& folderLines) {
    auto disc = std::make_shared<COvDisc>();
    disc->m_strNumber = number;
    disc->m_strName = name;
    disc->m_strLocation = "home";
    std::string outline = std::string(number) + " " + std::string(name) + "\r\n";
    for (const std::string& line : folderLines) outline += line + "\r\n";
    disc->m_strFolderTree = outline;
    disc->m_lstFiles = std::move(files);
    return disc;
}

void AddDefaultSettings(COvDiscDatabase& database, std::string_view activeServer) {
    database.m_pSettings->m_map.SetAt("SearchCombo", std::make_shared<CStringList>());
    database.m_pSettings->m_map.SetAt("LendCombo", std::make_shared<CStringList>());
    auto cddb = std::make_shared<CMapStringToString>();
    cddb->m_map.SetAt("active", std::string(activeServer));
    database.m_pSettings->m_map.SetAt("CDDB", cddb);
}

std::string Numbers(const COvDiscDatabase& database) {
    std::string numbers;
    for (const auto& disc : database.m_lstDiscs) {
        if (!numbers.empty()) numbers += ' ';
        numbers += disc->m_strNumber.str();
    }
    return numbers;
}

}  // namespace ov2::test
