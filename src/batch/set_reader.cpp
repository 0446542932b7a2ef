#include "batch/set_reader.h"

#include <stdexcept>
#include <string>

#include "formats/shortfall.h"

namespace zandrel {

namespace {

// Throws `refusal` when it is not empty: a record that lacks what the conversion needs.
void refuseWhen(const std::string& refusal) {
    if (!refusal.empty()) throw std::runtime_error(refusal);
}

}  // namespace

SetRecords readSetRecords(const FileSet& set, bool loadTimeCourse) {
    SetRecords records;
    records.roi = readRoiFile(set.roiPath);
    records.fmr = readFmrHeader(set.fmrPath, loadTimeCourse);
    if (!loadTimeCourse) checkTimeCourseFile(records.fmr);
    records.ia = readTrfFile(set.iaTrfPath);
    refuseWhen(trfMatrixRefusal(records.ia));
    records.fa = readTrfFile(set.faTrfPath);
    refuseWhen(trfMatrixRefusal(records.fa));
    records.acpc = readTrfFile(set.acpcTrfPath);
    refuseWhen(trfMatrixRefusal(records.acpc));
    if (!set.talPath.empty()) {
        records.tal = readTalFile(set.talPath);
        refuseWhen(talLandmarkRefusal(records.tal));
    }
    return records;
}

}  // namespace zandrel
