#include "formats/shortfall.h"

namespace zandrel {

namespace {

std::string matrixRefusal(const std::string& path, std::int32_t read, const char* which) {
    return "The transformation file " + path + " holds only " + std::to_string(read) + " of the 16 numbers of its " +
           which;
}

}  // namespace

RoiShortfall roiShortfall(const RoiFile& roi) {
    RoiShortfall shortfall;
    shortfall.announcedPlots = roi.NrOfTCPlots.value > 0 ? roi.NrOfTCPlots.value : 0;
    shortfall.readPlots = roi.plots.size();
    for (std::size_t i = 0; i < roi.plots.size(); ++i) {
        const RoiPlot& plot = roi.plots[i];
        const std::int32_t announced = plot.NrOfVoxels.value;
        if (announced > 0 && plot.voxels.size() < static_cast<std::size_t>(announced)) {
            shortfall.shortPlots.push_back(ShortVoxelList{i, announced, plot.voxels.size()});
        }
    }
    return shortfall;
}

std::string trfMatrixRefusal(const TrfRecord& trf) {
    // A short matrix fails the stream, so at most one of the two can be incomplete.
    if (trf.matrixNumbersRead >= 0 && trf.matrixNumbersRead < 16) {
        return matrixRefusal(trf.path, trf.matrixNumbersRead, "matrix");
    }
    if (trf.extraMatrixNumbersRead >= 0 && trf.extraMatrixNumbersRead < 16) {
        return matrixRefusal(trf.path, trf.extraMatrixNumbersRead, "extra VMR matrix");
    }
    return std::string();
}

std::vector<landmark::Index> missingLandmarks(const TalRecord& tal) {
    std::vector<landmark::Index> missing;
    if (tal.FileVersion.value <= 0) return missing;
    for (int i = 0; i < landmark::Count; ++i) {
        if (!tal.landmarkRead[static_cast<std::size_t>(i)]) missing.push_back(static_cast<landmark::Index>(i));
    }
    return missing;
}

std::string talLandmarkRefusal(const TalRecord& tal) {
    const std::vector<landmark::Index> missing = missingLandmarks(tal);
    if (missing.empty()) return std::string();
    std::string keys;
    for (const landmark::Index index : missing) keys += (keys.empty() ? "" : ", ") + std::string(landmarkKeys[index]);
    return "The landmark file " + tal.path + " lacks the landmark" + (missing.size() > 1 ? "s " : " ") + keys +
           " (each needs three whole numbers)";
}

}  // namespace zandrel
