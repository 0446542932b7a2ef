#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "outputs/report/report_model.h"

namespace zandrel::report {

// Text with &, <, >, " and ' replaced by their character references.
std::string escapeHtml(const std::string& text);

// The first line of every page this report writes: how a later report recognises it.
extern const char* const kPageMarker;

// The complete index.html of a model.
std::string renderPage(const ReportModel& model);

}  // namespace zandrel::report
