#pragma once

#include <string>

#include "generator/study_generator.h"
#include "generator/subject_model.h"

namespace zandrel::studygen {

// Names of a subject's files, relative to its folder.
struct SubjectFileNames {
    std::string roi, fmr, stc, ia, fa, acpc, tal, prefix, anatomy;
    explicit SubjectFileNames(const std::string& stem);
};

// Each writer builds the text (or samples) in memory and writes the file at `path`
// in one go; each throws std::runtime_error when the file cannot be written.
void writeFmrHeader(const SubjectPlan& plan, const SubjectModel& model, const SubjectFileNames& names,
                    const std::string& path);
void writeTimeCourseData(const SubjectPlan& plan, const SubjectModel& model, const std::string& path);
void writeRoiFile(const SubjectPlan& plan, const SubjectModel& model, const std::string& path);
void writeIaFile(const SubjectPlan& plan, const SubjectModel& model, const SubjectFileNames& names,
                 const std::string& path);
void writeFaFile(const SubjectPlan& plan, const SubjectModel& model, const SubjectFileNames& names,
                 const std::string& path);
void writeAcpcFile(const SubjectPlan& plan, const SubjectModel& model, const SubjectFileNames& names,
                   const std::string& path);
void writeTalFile(const SubjectPlan& plan, const SubjectModel& model, const SubjectFileNames& names,
                  const std::string& path);

}  // namespace zandrel::studygen
