#pragma once

#include <QString>
#include <string>
#include <vector>

#include "export/export_rows.h"

namespace ov2::exporting {

// One export format. The driver calls Begin once, then for each disc of the selection Disc and
// File for each of its files, then Finish, which puts the finished file in place; Abandon, at
// any point instead, leaves nothing behind at the destination.
class CExportWriter {
public:
    virtual ~CExportWriter() = default;
    // `catalogue` names the catalogue in the rows; `categories` are the catalogue's list.
    virtual bool Begin(const std::string& catalogue, const std::vector<std::string>& categories,
                       QString* error) = 0;
    virtual void Disc(const DiscRow& disc) = 0;
    virtual void File(const DiscRow& disc, const FileRow& file) = 0;
    virtual bool Finish(QString* error) = 0;
    virtual void Abandon() = 0;
};

}  // namespace ov2::exporting
