#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "generator/study_generator.h"

namespace zandrel::wintest {

// Every .voi file below `root`, relative to it with '/' separators, with its content.
std::map<std::string, std::string> voiFiles(const std::filesystem::path& root);

// Replaces every occurrence of `from` in `text` by `to`.
void replaceAll(std::string& text, const std::string& from, const std::string& to);

// A study whose list names its files with Windows paths on drive Z:, as a user of the
// desktop host writes it ("Z:\...\study\" then "subject1/s1.roi" and so on).
studygen::GeneratedStudy windowsStudy(const std::filesystem::path& root, studygen::StudyPlan plan);

}  // namespace zandrel::wintest
