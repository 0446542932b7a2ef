#include "batch/convert_set.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

#include "batch/set_check.h"
#include "formats/fmr_header.h"
#include "formats/roi_file.h"
#include "formats/tal_record.h"
#include "formats/trf_record.h"
#include "geometry/matrix4.h"
#include "voi/voi_builder.h"
#include "voi/voi_file.h"

namespace zandrel {

namespace {

// Every record of one set, read in the order ROI, FMR, IA, FA, ACPC, TAL.
struct SetRecords {
    RoiFile roi;
    FmrHeader fmr;
    TrfRecord ia;
    TrfRecord fa;
    TrfRecord acpc;
    TalRecord tal;  // the empty record (FileVersion -1) when the set names no TAL file
};

SetRecords readSetRecords(const FileSet& set, bool readTimeCourse) {
    SetRecords records;
    records.roi = readRoiFile(set.roiPath);
    records.fmr = readFmrHeader(set.fmrPath, readTimeCourse);
    records.ia = readTrfFile(set.iaTrfPath);
    records.fa = readTrfFile(set.faTrfPath);
    records.acpc = readTrfFile(set.acpcTrfPath);
    if (!set.talPath.empty()) records.tal = readTalFile(set.talPath);
    return records;
}

// A chain whose linear part is singular or nearly so (an FA matrix of zeros, say) maps the
// whole anatomical grid onto a plane, a line or a point: the ROI voxel there would receive
// a whole slab of the grid, or all of it. The volume of the grid's image is |det| times
// its 256^3 points; below one functional voxel the chain cannot describe a real
// alignment. The determinant is formed in double from the float elements, where no
// product of them can underflow.
bool isDegenerate(const Matrix4& m) {
    const auto e = [&m](int row, int column) { return static_cast<double>(m.at(row, column)); };
    const double determinant = e(0, 0) * (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) -
                               e(0, 1) * (e(1, 0) * e(2, 2) - e(1, 2) * e(2, 0)) +
                               e(0, 2) * (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0));
    constexpr double kGridPoints = 256.0 * 256.0 * 256.0;
    return !(std::fabs(determinant) * kGridPoints >= 1.0);
}

// The builder computes the chain itself; checking it first turns a singular fine
// alignment or sizes that make the chain non-finite into an error naming the files,
// instead of a VOI file that is silently empty or wrong.
void checkChainMatrix(const FileSet& set, const SetRecords& records) {
    Matrix4 gridToFunctional;
    if (!records.fmr.computeChainMatrix(records.ia, records.fa, records.acpc, gridToFunctional)) {
        throw std::runtime_error("The fine-alignment matrix could not be inverted: " + set.faTrfPath);
    }
    if (!gridToFunctional.isFinite()) {
        throw std::runtime_error(
            "The transformation chain has non-finite elements (check the voxel sizes and "
            "slice distance of " + set.fmrPath + " and ToVMRVoxelRes of " + set.iaTrfPath + ")");
    }
    if (isDegenerate(gridToFunctional)) {
        throw std::runtime_error(
            "The transformation chain maps the whole anatomical grid into less than one functional voxel (check "
            "the voxel sizes of " + set.fmrPath + ", the matrices of " + set.iaTrfPath + ", " + set.faTrfPath +
            " and " + set.acpcTrfPath + ", and ToVMRVoxelRes of " + set.iaTrfPath + ")");
    }
}

}  // namespace

SetOutcome convertFileSet(const FileSet& set, BatchObserver& log, bool crlf, VoiFile* saved) {
    if (!checkFileSet(set, log)) return SetOutcome::reported;

    VoiBuildReport report;
    {
        const SetRecords records = readSetRecords(set, true);
        checkChainMatrix(set, records);
        VoiFile voiFile = buildVoiFile(records.roi, records.fmr, records.ia, records.fa,
                                       records.acpc, records.tal, &report);
        voiFile.fileName = outputPathFor(set);
        voiFile.crlf = crlf;
        voiFile.save();
        if (saved != nullptr) *saved = std::move(voiFile);
    }  // the records and the time-course data are released before logging

    log.onEntry("Converted " + set.roiPath);
    for (std::size_t index = 0; index < report.skippedVoxels.size(); ++index) {
        const std::int64_t skipped = report.skippedVoxels[index];
        if (skipped == 0) continue;
        log.onEntry("VOI " + std::to_string(index + 1) + " of " + set.roiPath + ": " +
                    std::to_string(skipped) + " voxels outside the functional grid were skipped");
    }
    return SetOutcome::converted;
}

SetOutcome describeFileSet(const FileSet& set, BatchObserver& log) {
    if (!checkFileSet(set, log)) return SetOutcome::reported;
    const SetRecords records = readSetRecords(set, false);
    checkChainMatrix(set, records);
    log.onEntry("Would write " + outputPathFor(set) + " from " + set.roiPath);
    return SetOutcome::converted;
}

}  // namespace zandrel
