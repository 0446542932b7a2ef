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

TrfRecord readTransformation(const std::string& path) {
    TrfRecord trf = readTrfFile(path);
    refuseWhen(trfMatrixRefusal(trf));
    return trf;
}

}  // namespace

SetRecords readSetRecords(const FileSet& set, bool loadTimeCourse) {
    SetRecords records;
    records.roi = readRoiFile(set.roiPath);
    records.fmr = readFmrHeader(set.fmrPath, loadTimeCourse);
    // In the place where loading the samples used to fail.
    if (!loadTimeCourse) checkTimeCourseFile(records.fmr);
    records.ia = readTransformation(set.iaTrfPath);
    records.fa = readTransformation(set.faTrfPath);
    records.acpc = readTransformation(set.acpcTrfPath);
    if (!set.talPath.empty()) {
        records.tal = readTalFile(set.talPath);
        refuseWhen(talLandmarkRefusal(records.tal));
    }
    return records;
}

ChainRecords readChainRecords(const FileSet& set) {
    ChainRecords records;
    records.fmr = readFmrHeader(set.fmrPath, false);
    records.ia = readTransformation(set.iaTrfPath);
    records.fa = readTransformation(set.faTrfPath);
    records.acpc = readTransformation(set.acpcTrfPath);
    return records;
}

}  // namespace zandrel
