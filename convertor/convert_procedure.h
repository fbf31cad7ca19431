#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "convertor/old_disc.h"
#include "convertor/old_file_data.h"
#include "core/disc_database.h"

// The conversion of an old catalogue (four files side by side in one folder) into a disc
// database, without any window: the conversion dialog and `ov2cat convert` both run it.
//
// The old files are opened for reading only, so that a catalogue on a CD-R, a read-only share
// or in files without write permission converts as well as any other.
class CConvertProcedure {
public:
    enum class Outcome { Converted, Missing, Unreadable };

    static constexpr const char* kCompleted = "The Conversion Process Was Compeleted Successfuly.";

    CConvertProcedure();
    ~CConvertProcedure();
    CConvertProcedure(const CConvertProcedure&) = delete;
    CConvertProcedure& operator=(const CConvertProcedure&) = delete;

    std::string m_strFolder;  // the native folder of the old catalogue
    std::unique_ptr<COvDiscDatabase> m_pDatabase;  // the database being built; the result
    std::vector<std::shared_ptr<CDisc>> m_lstOldDiscs;      // read from "Data.dat"
    std::vector<std::shared_ptr<CFileData>> m_lstOldFiles;  // read from "FileData.dat"
    std::shared_ptr<COvDisc> m_pPendingDisc;  // the disc the tree reading is filling
    std::vector<std::string> m_lstOldCategories;  // read from "Cat.dat"
    std::string m_strMissing;  // the numbered list of missing files
    std::string m_strError;    // the file that could not be read, and why
    // Discs of the tree file that are not converted: their numbers are not plain whole numbers
    // ("007", none), or a disc later in the file has the same number. How many, and the first
    // kShownLeftOut of them in the order of the tree file, each with its root line's place.
    static constexpr std::size_t kShownLeftOut = 20;
    struct LeftOut {
        std::size_t line;
        std::string number;
    };
    std::size_t m_nLeftOut = 0;
    std::vector<LeftOut> m_lstLeftOut;

    // Starts afresh, checks the files and converts them. Converted leaves the result in
    // m_pDatabase; Missing and Unreadable leave it empty, with m_strMissing or m_strError saying
    // why.
    Outcome Convert();
    // What the user should be told of the discs left out, with at most kShownLeftOut numbers;
    // empty when every disc was converted.
    std::string LeftOutMessage() const;
    // The message for missing files, with the numbered list.
    std::string MissingMessage() const;

    // Looks for the four files in order; once one is missing, it and every later file are listed
    // in m_strMissing, whether they exist or not, and 1 is returned. When all four are there, it
    // reads the first three. A file that cannot be read throws CArchiveException.
    int FileCheck();
    // The discs of "Tree.ovdt", in the reverse order of the file, each with its outline and the
    // number of its root line. A disc that SortObjects would leave out is left out here already,
    // so that a tree file of millions of root lines never becomes millions of discs. Throws
    // CArchiveException when the file cannot be read.
    std::unique_ptr<COvDiscDatabase> GetTree(std::unique_ptr<COvDiscDatabase> database);
    // Fills the discs from the old discs of the same number.
    std::unique_ptr<COvDiscDatabase> GetDisc(std::unique_ptr<COvDiscDatabase> database);
    // A new database with the discs by descending number: one disc for each number whose "%d"
    // form names a disc, the first found from the head.
    std::unique_ptr<COvDiscDatabase> SortObjects(std::unique_ptr<COvDiscDatabase> database);
    // Gives the discs their files and the database the old category names.
    std::unique_ptr<COvDiscDatabase> GetFiles(std::unique_ptr<COvDiscDatabase> database);
    // The text before the first blank of a root line; empty when it has none.
    static std::string GetNumber(std::string_view line);

private:
    // Counts a disc left out and keeps its number when it is among the first in the file.
    void NoteLeftOut(std::size_t line, std::string_view number);
    // The path of an old file in the folder, its name matched as drive paths are; empty when
    // it is not there.
    std::string OldFilePath(std::string_view name) const;
};
