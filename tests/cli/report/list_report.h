#pragma once

// A report model of a list file, formed the way `zandrel convert --report` forms it from
// the batch's events: each set checked, read and built (nothing is saved). Used by the
// tests and by the program that makes the report of the bundled example study.
#include <string>

#include "cli/report/report_model.h"

namespace zandrel::test {

report::ReportModel reportOfList(const std::string& listPath, const std::string& programVersion);

}  // namespace zandrel::test
