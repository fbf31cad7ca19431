#pragma once

#include <string>
#include <vector>

#include "core/file_facts.h"
#include "core/object.h"
#include "core/ov_string.h"

// A file found on a disc.
class COvFileData final : public CObject {
    OV_DECLARE_SERIAL(COvFileData)
public:
    std::vector<std::string> m_lstCategories;  // categories attached to the file
    OvString m_strDrive;     // the drive of the folder, lower case, no backslash: "d:"
    OvString m_strSize;      // size in bytes, decimal text
    OvString m_strFolder;    // folder path, lower case, drive included, ending in "\"
    OvString m_strFileName;  // name with extension, as found on the disc
    // Not among the record's own fields: the catalogue keeps these in its settings
    // ("FileFacts").
    ov2::FileFacts m_facts;

    // The name the file has on its disc. An audio track that the user titled ("07 Intro.cda",
    // "01 Back on Track.cda") is still TrackNN.cda there: NN is the title's two digits.
    std::string DiscFileName() const;

    void Serialize(CArchive& ar) override;
};
