#include "generator/study_generator.h"

#include <filesystem>
#include <set>
#include <stdexcept>

#include "generator/random.h"
#include "generator/subject_model.h"
#include "generator/subject_writers.h"
#include "generator/text_output.h"

namespace zandrel::studygen {

namespace fs = std::filesystem;

namespace {

// Options alternate with the subject index with different periods, so that every option
// and the interesting combinations (an extra transformation together with a mirrored
// slice axis, a plot on the first slice with or without landmarks) occur in a few subjects.
SubjectPlan variedSubject(int index, std::uint64_t seed) {
    SubjectPlan subject;
    subject.name = "subject" + std::to_string(index + 1);
    subject.stem = "s" + std::to_string(index + 1);
    subject.seed = streamSeed(seed, static_cast<std::uint64_t>(index) + 1000u);
    const bool even = index % 2 == 0;
    subject.withTal = even;
    subject.crlf = even;
    subject.floatData = !even;
    subject.sortedVoxels = even;
    subject.fmrFileVersion = even ? 7 : 6;
    subject.sliceThickness = even ? 3.0 : 3.5;
    return subject;
}

void validate(const StudyPlan& plan) {
    std::set<std::string> names, stems;
    for (const SubjectPlan& s : plan.subjects) {
        const std::string label = "subject '" + s.name + "': ";
        for (const std::string* part : {&s.name, &s.stem}) {
            if (part->empty() || *part == "." || *part == ".." ||
                part->find_first_of("/\\:") != std::string::npos)
                throw std::invalid_argument(label + "name and stem must be plain, non-empty file names");
        }
        if (!names.insert(s.name).second) throw std::invalid_argument(label + "name used twice");
        if (!stems.insert(s.stem).second) throw std::invalid_argument(label + "stem used twice");
        if (s.resolutionX < 16 || s.resolutionX > 256 || s.resolutionY < 16 || s.resolutionY > 256)
            throw std::invalid_argument(label + "in-plane resolution must lie in 16..256");
        if (s.slices < 6 || s.slices > 128) throw std::invalid_argument(label + "slices must lie in 6..128");
        if (s.volumes < 1 || s.volumes > 1000) throw std::invalid_argument(label + "volumes must lie in 1..1000");
        if (s.plots < 0 || s.plots > 64) throw std::invalid_argument(label + "plots must lie in 0..64");
        if (!(s.inplaneResolution >= 0.5 && s.inplaneResolution <= 10.0) ||
            !(s.sliceThickness >= 0.5 && s.sliceThickness <= 10.0) || !(s.sliceGap >= 0.0 && s.sliceGap <= 10.0))
            throw std::invalid_argument(label + "voxel size out of range");
    }
    if (plan.listName.empty() || plan.listName.find_first_of("/\\:") != std::string::npos)
        throw std::invalid_argument("list name must be a plain file name");
}

std::string pathString(const fs::path& path) { return path.string(); }

SubjectFiles writeSubject(const fs::path& root, const SubjectPlan& plan) {
    const fs::path folder = root / plan.name;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) throw std::runtime_error("Cannot create folder: " + folder.string() + ": " + error.message());

    const SubjectModel model = buildSubjectModel(plan);
    const SubjectFileNames names(plan.stem);
    SubjectFiles files;
    files.roi = pathString(folder / names.roi);
    files.fmr = pathString(folder / names.fmr);
    files.stc = pathString(folder / names.stc);
    files.ia = pathString(folder / names.ia);
    files.fa = pathString(folder / names.fa);
    files.acpc = pathString(folder / names.acpc);
    if (plan.withTal) files.tal = pathString(folder / names.tal);

    writeRoiFile(plan, model, files.roi);
    writeFmrHeader(plan, model, names, files.fmr);
    writeTimeCourseData(plan, model, files.stc);
    writeIaFile(plan, model, names, files.ia);
    writeFaFile(plan, model, names, files.fa);
    writeAcpcFile(plan, model, names, files.acpc);
    if (plan.withTal) writeTalFile(plan, model, names, files.tal);
    return files;
}

// Line 1 the prefix, then per subject its files in the usual order, relative to the
// prefix with '/' separators (which the list's consumers accept on every platform).
std::string listText(const StudyPlan& plan, const std::string& prefix) {
    std::string text = prefix + "\n";
    for (const SubjectPlan& s : plan.subjects) {
        const SubjectFileNames names(s.stem);
        const std::string folder = s.name + "/";
        for (const std::string* name : {&names.roi, &names.fmr, &names.ia, &names.fa, &names.acpc})
            text += folder + *name + "\n";
        if (s.withTal) text += folder + names.tal + "\n";
    }
    return text;
}

}  // namespace

SubjectFileNames::SubjectFileNames(const std::string& stem)
    : roi(stem + ".roi"),
      fmr(stem + "_run1.fmr"),
      stc(stem + "_run1.stc"),
      ia(stem + "_IA.trf"),
      fa(stem + "_FA.trf"),
      acpc(stem + "_ACPC.trf"),
      tal(stem + ".tal"),
      prefix(stem + "_run1"),
      anatomy(stem + "_anat") {}

StudyPlan realisticStudyPlan(int subjects, std::uint64_t seed) {
    StudyPlan plan;
    for (int i = 0; i < subjects; ++i) {
        SubjectPlan subject = variedSubject(i, seed);
        subject.slices = subject.sliceThickness == 3.0 ? 30 : 25;
        subject.ascendingSlices = i % 2 == 0;
        subject.extraTransform = i % 4 == 1;
        subject.edgeBlob = i % 2 == 1;
        plan.subjects.push_back(subject);
    }
    return plan;
}

StudyPlan exampleStudyPlan() {
    StudyPlan plan = realisticStudyPlan(2, 20240601u);
    plan.prefix = "./";
    return plan;
}

StudyPlan testStudyPlan(int subjects, std::uint64_t seed) {
    StudyPlan plan;
    for (int i = 0; i < subjects; ++i) {
        SubjectPlan subject = variedSubject(i, seed);
        subject.plots = 2;
        subject.resolutionX = 32;
        subject.resolutionY = 32;
        subject.slices = i % 2 == 0 ? 12 : 10;
        subject.ascendingSlices = i % 3 != 1;
        subject.extraTransform = i % 3 == 2;
        subject.edgeBlob = i % 4 == 3;
        plan.subjects.push_back(subject);
    }
    return plan;
}

GeneratedStudy writeStudy(const std::string& root, const StudyPlan& plan) {
    validate(plan);
    std::error_code error;
    const fs::path absoluteRoot = fs::absolute(fs::path(root), error).lexically_normal();
    if (error) throw std::runtime_error("Cannot resolve folder: " + root + ": " + error.message());
    fs::create_directories(absoluteRoot, error);
    if (error) throw std::runtime_error("Cannot create folder: " + absoluteRoot.string() + ": " + error.message());

    GeneratedStudy study;
    study.root = absoluteRoot.string();
    if (study.root.size() > 1 && (study.root.back() == '/' || study.root.back() == '\\')) study.root.pop_back();
    for (const SubjectPlan& subject : plan.subjects) study.subjects.push_back(writeSubject(absoluteRoot, subject));

    std::string prefix = plan.prefix;
    if (prefix.empty()) {
        prefix = absoluteRoot.generic_string();
        if (prefix.empty() || prefix.back() != '/') prefix += '/';
    }
    study.listPath = pathString(absoluteRoot / plan.listName);
    writeBinaryFile(study.listPath, listText(plan, prefix));
    return study;
}

}  // namespace zandrel::studygen
