#include "outputs/table/voi_provenance.h"

#include <algorithm>
#include <iterator>

namespace zandrel {

namespace {

std::string withoutVoiExtension(const std::string& path) {
    const std::string extension = ".voi";
    if (path.size() >= extension.size() &&
        path.compare(path.size() - extension.size(), extension.size(), extension) == 0) {
        return path.substr(0, path.size() - extension.size());
    }
    return path;
}

}  // namespace

NiftiProvenance conversionProvenance(const FileSet& files, const Matrix4& gridToFunctional, const TalRecord& tal,
                                     const VoiBuildReport& report) {
    NiftiProvenance provenance;
    provenance.files = files;
    std::array<float, 16> values{};
    std::copy(std::begin(gridToFunctional.m), std::end(gridToFunctional.m), values.begin());
    provenance.chainMatrix = values;
    if (tal.FileVersion.value > 0) provenance.landmarks = tal.landmarks;
    provenance.skippedRoiVoxels = report.skippedVoxels;
    provenance.talairachTriples = tal.FileVersion.value != -1;
    return provenance;
}

NiftiOutputNames niftiOutputNames(const std::string& stemPath, NiftiMode mode, std::size_t voiCount) {
    NiftiOutputNames names;
    if (mode == NiftiMode::Labels) {
        names.images.push_back(stemPath + ".nii.gz");
    } else {
        for (std::size_t k = 1; k <= voiCount; ++k) names.images.push_back(stemPath + "VOI" + std::to_string(k) + ".nii.gz");
    }
    names.table = stemPath + ".tsv";
    names.sidecar = stemPath + ".json";
    return names;
}

std::string convertStem(const std::string& voiPath) { return withoutVoiExtension(voiPath); }

std::string exportStem(const std::string& voiPath, const std::string& outputDir) {
    const std::string stem = withoutVoiExtension(voiPath);
    if (outputDir.empty()) return stem;
    const std::size_t slash = stem.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? stem : stem.substr(slash + 1);
    const char last = outputDir.back();
    return outputDir + (last == '/' || last == '\\' ? "" : "/") + name;
}

}  // namespace zandrel
