#include "cli/convert_command.h"

#include <QFile>
#include <new>

#include "convertor/convert_procedure.h"
#include "core/catalogue_save.h"
#include "core/ov2_doc.h"

namespace {

// The numbered list of missing files, one a line: "1: Cat.dat".
std::string MissingList(const std::string& missing) {
    std::string list;
    std::size_t start = 0;
    for (std::size_t end; (end = missing.find(" \r\n", start)) != std::string::npos; start = end + 3)
        list += (list.empty() ? "" : "\n") + missing.substr(start, end - start);
    return list;
}

}  // namespace

namespace {

ConvertCommandResult Convert(const std::string& oldFolder, const std::string& cataloguePath) {
    ConvertCommandResult result;
    CConvertProcedure procedure;
    procedure.m_strFolder = oldFolder;
    switch (procedure.Convert()) {
        case CConvertProcedure::Outcome::Missing:
            result.what = oldFolder;
            result.reason = "the needed old files have not been found\n" + MissingList(procedure.m_strMissing);
            return result;
        case CConvertProcedure::Outcome::Unreadable:
            result.reason = procedure.m_strError;  // names the old file itself
            return result;
        case CConvertProcedure::Outcome::Converted:
            break;
    }
    // The catalogue as the command leaves it in a new, empty document.
    COv2Doc document;
    document.DeleteContents();
    document.TakeConvertedCatalogue(*procedure.m_pDatabase);
    std::string error;
    if (ov2::SaveCatalogueFile(QFile::decodeName(cataloguePath.c_str()), *document.m_pDatabase, &error) !=
        ov2::SaveFault::None) {
        result.what = cataloguePath;
        result.reason = error;
        return result;
    }
    const COvDiscDatabase& saved = *document.m_pDatabase;
    std::size_t files = 0;
    for (const auto& disc : saved.m_lstDiscs) files += disc->m_lstFiles.size();
    result.output = "discs " + std::to_string(saved.m_lstDiscs.size()) + " files " + std::to_string(files) +
                    " categories " + std::to_string(saved.m_pCategories->m_strings.size()) + "\n";
    result.warning = procedure.LeftOutMessage();
    result.ok = true;
    return result;
}

}  // namespace

ConvertCommandResult ConvertOldCatalogue(const std::string& oldFolder,
                                         const std::string& cataloguePath) {
    // The procedure reports its own lack of memory; this covers the copy into the document and
    // the saving.
    try {
        return Convert(oldFolder, cataloguePath);
    } catch (const std::bad_alloc&) {
        ConvertCommandResult result;
        result.what = oldFolder;
        result.reason = "not enough memory to convert the old catalogue";
        return result;
    }
}
