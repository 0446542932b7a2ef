#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes studies of our own making: per subject an ROI file, an FMR project header with its
// time-course data, the IA, FA and ACPC transformation files and optionally a landmark file,
// plus the list file that names them. The output depends only on the plan: the same plan
// gives the same bytes on every platform.
namespace zandrel::studygen {

struct SubjectPlan {
    std::string name = "subject1";      // files go into <root>/<name>/
    std::string stem = "s1";            // file stem: s1.roi, s1_run1.fmr, s1_IA.trf, ...
    bool withTal = true;                // write <stem>.tal and name it in the list
    int plots = 3;                      // ROI plots (blobs of tens to hundreds of voxels)
    int resolutionX = 64, resolutionY = 64, slices = 30, volumes = 2;
    bool floatData = false;             // DataType 2 (float) or 1 (int16)
    std::uint64_t seed = 1;

    bool crlf = false;                  // CR LF line ends in every text file of the subject
    bool ascendingSlices = true;        // first slice lowest: Slice1CenterZ < SliceNCenterZ
    bool extraTransform = false;        // IA file with ExtraVMRTransf 1 and a small extra rotation
    bool sortedVoxels = true;           // voxel lists slice, row, column ascending (else shuffled)
    bool edgeBlob = false;              // the last plot touches the first slice of the grid
    double inplaneResolution = 3.0;     // mm, columns and rows
    double sliceThickness = 3.0;        // mm
    double sliceGap = 0.5;              // mm
    int fmrFileVersion = 7;
};

struct StudyPlan {
    std::vector<SubjectPlan> subjects;
    std::string listName = "study.txt";
    std::string prefix;                 // line 1 of the list; empty: the absolute root folder + '/'
};

struct SubjectFiles {                   // absolute paths of what was written
    std::string roi, fmr, stc, ia, fa, acpc, tal;   // tal empty when withTal is false
};

struct GeneratedStudy {
    std::string root, listPath;         // absolute
    std::vector<SubjectFiles> subjects;
};

// The bundled example: 2 full-size subjects, the first with TAL (int16 data, CR LF, ascending
// slices), the second without (float data, LF, descending slices, extra IA transformation,
// shuffled voxel lists, a plot on the first slice). List prefix "./".
StudyPlan exampleStudyPlan();
// Full-size subjects (64 x 64 in-plane) whose options alternate with the subject index.
StudyPlan realisticStudyPlan(int subjects, std::uint64_t seed);
// Small, fast subjects (32 x 32 x 10..12, two plots each) whose options alternate with the
// subject index, so that three or more subjects cover every option. Empty prefix.
StudyPlan testStudyPlan(int subjects, std::uint64_t seed);

// Writes the study under `root` (created when missing). Throws std::invalid_argument for a
// plan it cannot honour and std::runtime_error when a file cannot be written.
GeneratedStudy writeStudy(const std::string& root, const StudyPlan& plan);

}  // namespace zandrel::studygen
