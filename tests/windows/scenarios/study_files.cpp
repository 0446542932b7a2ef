#include "scenarios/study_files.h"

#include "scenarios/wine_host.h"
#include "temp_dir.h"

namespace zandrel::wintest {

namespace fs = std::filesystem;

std::map<std::string, std::string> voiFiles(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file() && entry.path().extension() == ".voi") {
            files[fs::relative(entry.path(), root).generic_string()] = test::readFile(entry.path().string());
        }
    }
    return files;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

studygen::GeneratedStudy windowsStudy(const fs::path& root, studygen::StudyPlan plan) {
    plan.prefix = windowsPath(root) + "\\";
    return studygen::writeStudy(root.string(), plan);
}

}  // namespace zandrel::wintest
