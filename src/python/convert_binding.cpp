// The chain matrix of a set and one set converted in memory, from paths or from records.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "arrays.h"
#include "bindings.h"
#include "zandrel/batch.h"
#include "zandrel/chain.h"
#include "zandrel/convert.h"

namespace zandrel::python {

namespace {

// Refuses a record the conversion refuses, with the conversion's text.
void refuseWhen(const std::string& refusal) {
    if (!refusal.empty()) throw std::runtime_error(refusal);
}

py::array chainMatrix(const FmrHeader& fmr, const TrfRecord& ia, const TrfRecord& fa, const TrfRecord& acpc) {
    Matrix4 matrix;
    {
        py::gil_scoped_release released;
        // The records are refused and judged as `zandrel chain` and a conversion refuse them.
        refuseWhen(trfMatrixRefusal(ia));
        refuseWhen(trfMatrixRefusal(fa));
        refuseWhen(trfMatrixRefusal(acpc));
        const ChainFactors factors = computeChainFactors(fmr, ia, fa, acpc);
        const ChainVerdict verdict = judgeChain(factors, ChainFiles{fmr.path, ia.path, fa.path, acpc.path});
        if (!verdict.usable) throw std::runtime_error(verdict.reason);
        matrix = factors.gridToFunctional;
    }
    return matrixCopy(matrix);
}

// The converted file, with the entries a batch logs about the set besides "Converted" (a ROI
// file that holds less than it announces, ROI voxels skipped) as its warnings.
std::shared_ptr<VoiFileObject> keep(ConvertedSet&& converted) {
    auto voi = std::make_shared<VoiFileObject>();
    const std::string& roiPath = converted.records.roi.path;
    voi->warnings = wordEvent(RoiIncomplete{roiPath, roiShortfall(converted.records.roi)});
    for (std::size_t v = 0; v < converted.build.skippedVoxels.size(); ++v) {
        const std::int64_t count = converted.build.skippedVoxels[v];
        if (count == 0) continue;
        for (std::string& entry : wordEvent(VoxelsSkipped{roiPath, v, count})) voi->warnings.push_back(std::move(entry));
    }
    voi->millimetreTriples = converted.chain.talairachForm;
    voi->skippedVoxels = std::move(converted.build.skippedVoxels);
    voi->file = std::move(converted.voiFile);
    return voi;
}

std::shared_ptr<VoiFileObject> convertPaths(const FileSet& set, bool crlf) {
    py::gil_scoped_release released;
    ConvertOptions options;
    options.crlf = crlf;
    return keep(convertInMemory(set, options));
}

// The records are copied first, so the conversion runs without the interpreter's lock on
// values no Python code can change meanwhile.
std::shared_ptr<VoiFileObject> convertRecords(const RoiFile& roi, const FmrHeader& fmr, const TrfRecord& ia,
                                              const TrfRecord& fa, const TrfRecord& acpc, const TalRecord* tal,
                                              bool crlf) {
    SetRecords records;
    records.roi = roi;
    records.fmr = fmr;
    records.ia = ia;
    records.fa = fa;
    records.acpc = acpc;
    if (tal != nullptr) records.tal = *tal;
    py::gil_scoped_release released;
    // What the set reader refuses, refused here too, in its order.
    checkTimeCourseFile(records.fmr);
    refuseWhen(trfMatrixRefusal(records.ia));
    refuseWhen(trfMatrixRefusal(records.fa));
    refuseWhen(trfMatrixRefusal(records.acpc));
    if (tal != nullptr) refuseWhen(talLandmarkRefusal(records.tal));
    const FileSet set{roi.path, fmr.path, ia.path, fa.path, acpc.path, tal != nullptr ? tal->path : std::string()};
    ConvertOptions options;
    options.crlf = crlf;
    std::shared_ptr<VoiFileObject> voi = keep(convertInMemory(std::move(records), options));
    voi->file.fileName = outputPathFor(set);
    return voi;
}

}  // namespace

void bindConversion(py::module_& m) {
    m.def("_chain_matrix", &chainMatrix);
    m.def("_convert_paths", [](const std::string& roi, const std::string& fmr, const std::string& ia,
                               const std::string& fa, const std::string& acpc, const std::string& tal, bool crlf) {
        return convertPaths(FileSet{roi, fmr, ia, fa, acpc, tal}, crlf);
    });
    m.def("_convert_records", &convertRecords, py::arg("roi"), py::arg("fmr"), py::arg("ia"), py::arg("fa"),
          py::arg("acpc"), py::arg("tal").none(true), py::arg("crlf"));
}

}  // namespace zandrel::python
