#pragma once

namespace ov2::exporting {

// The page around the data of an HTML export: its head, style and script before the data
// block, and the rest after it. The data is JSON inside <script type="application/json">, which
// the browser never runs; the script reads it and puts every name on the page as text only.
extern const char* const
    kHtmlPageBefore;  // ends with "<script type=\"application/json\" id=\"ov2-data\">"
extern const char* const kHtmlPageAfter;  // starts with "</script>"

}  // namespace ov2::exporting
