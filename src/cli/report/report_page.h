#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/report/report_model.h"
#include "cli/report/voi_figures.h"

namespace zandrel::report {

// One picture of the page: a PNG beside index.html.
struct PagePicture {
    std::string file;      // name within the report folder
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::string alt;
    std::string caption;   // plain text; orientation letters and cut coordinates
};

// What the page shows of one set besides the model: figures and pictures per VOI.
struct SetPage {
    std::vector<VoiFigures> figures;                  // per VOI of the set's VoiFile
    std::vector<std::vector<PagePicture>> pictures;   // per VOI; empty when there are none
    std::string pictureNote;                          // why there are no pictures, or empty
};

// Text with &, <, >, " and ' replaced by their character references.
std::string escapeHtml(const std::string& text);

// The first line of every page this report writes: how a later report recognises it.
extern const char* const kPageMarker;

// The complete index.html: `pages` holds one entry per set of the model, in the same order.
std::string renderPage(const ReportModel& model, const std::vector<SetPage>& pages);

}  // namespace zandrel::report
