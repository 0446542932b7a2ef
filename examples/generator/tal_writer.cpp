#include <string>

#include "generator/subject_writers.h"
#include "generator/text_output.h"

namespace zandrel::studygen {

void writeTalFile(const SubjectPlan& plan, const SubjectModel& model, const SubjectFileNames& names,
                  const std::string& path) {
    static const char* const keys[8] = {"AC", "PC", "AP", "PP", "SP", "IP", "RP", "LP"};
    KeyedTextBuilder text(plan.crlf, 20);
    text.line();
    text.entry("FileVersion", 3);
    text.entry("Project", quoted(names.anatomy + "_ACPC.vmr"));
    text.line();
    text.setWidth(5);
    for (int i = 0; i < 8; ++i) {
        const Voxel& p = model.landmarks[static_cast<std::size_t>(i)];
        text.entry(keys[i], std::to_string(p[0]) + " " + std::to_string(p[1]) + " " + std::to_string(p[2]));
    }
    text.line();
    text.setWidth(20);
    text.entry("TALVMRFramingCube", 256);
    text.entry("TALVMRVoxelRes", 1);
    writeBinaryFile(path, text.text());
}

}  // namespace zandrel::studygen
