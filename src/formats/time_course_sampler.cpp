// Seeking reader of a few volumes of the time-course data: the layout nests slice, volume,
// row, column (outermost first), so one slice of one volume is one contiguous plane.
#include "formats/time_course_sampler.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

#include "formats/sample_decoding.h"

namespace zandrel {

namespace {

std::runtime_error unreadable(const std::string& name, const std::string& why) {
    return std::runtime_error("Time-course data file " + name + " cannot be sampled: " + why);
}

}  // namespace

std::vector<std::int32_t> spreadVolumes(std::int32_t total, std::int32_t wanted) {
    std::vector<std::int32_t> picked;
    if (total <= 0 || wanted <= 0) return picked;
    const std::int64_t count = std::min(total, wanted);
    for (std::int64_t n = 0; n < count; ++n) {
        // First and last volume included; the rest at even steps between them.
        const std::int64_t v = count == 1 ? 0 : n * (std::int64_t{total} - 1) / (count - 1);
        if (picked.empty() || picked.back() != v) picked.push_back(static_cast<std::int32_t>(v));
    }
    return picked;
}

TimeCourseMean readTimeCourseMean(const FmrHeader& header, std::int32_t wanted, std::int64_t maxCells) {
    const std::string name = timeCourseFileName(header);
    std::error_code error;
    // A pipe or a device is never read or waited on.
    if (std::filesystem::exists(name, error) && !std::filesystem::is_regular_file(name, error))
        throw unreadable(name, "it is not a regular file");
    std::ifstream in(name, std::ios::in | std::ios::binary);
    if (in.fail()) throw std::runtime_error("Failed opening STC for reading: " + name);

    const std::int64_t dimX = header.ResolutionX.value;
    const std::int64_t dimY = header.ResolutionY.value;
    const std::int64_t slices = header.NrOfSlices.value;
    const std::int64_t total = header.NrOfVolumes.value;
    if (dimX <= 0 || dimY <= 0 || slices <= 0 || total <= 0)
        throw unreadable(name, "the header gives no positive grid and volume count");
    // Each size is below 2^31, so the products below cannot overflow before the check.
    if (dimX * dimY > maxCells || dimX * dimY * slices > maxCells)
        throw unreadable(name, "the functional grid holds more than " + std::to_string(maxCells) + " cells");

    const bool floatSamples = header.DataType.present && header.DataType.value == 2;
    const std::uint64_t sampleBytes = floatSamples ? 4 : 2;
    const std::uint64_t planeSamples = static_cast<std::uint64_t>(dimX * dimY);
    const std::uint64_t promised = planeSamples * static_cast<std::uint64_t>(slices) *
                                   static_cast<std::uint64_t>(total) * sampleBytes;
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    if (!in || end < 0 || static_cast<std::uint64_t>(end) < promised)
        throw unreadable(name, "it holds fewer bytes than the header promises (" + std::to_string(promised) + ")");

    TimeCourseMean result;
    result.volumes = spreadVolumes(static_cast<std::int32_t>(total), wanted);
    result.mean = VolumeGrid(static_cast<std::int32_t>(dimX), static_cast<std::int32_t>(dimY),
                             static_cast<std::int32_t>(slices));
    result.mean.fill(0.0f);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(planeSamples * sampleBytes));
    std::vector<float> plane(static_cast<std::size_t>(planeSamples));
    for (std::int64_t s = 0; s < slices; ++s) {
        float* target = result.mean.data() + static_cast<std::size_t>(s) * plane.size();
        for (const std::int32_t v : result.volumes) {
            const std::uint64_t offset = (static_cast<std::uint64_t>(s) * static_cast<std::uint64_t>(total) +
                                          static_cast<std::uint64_t>(v)) * planeSamples * sampleBytes;
            in.seekg(static_cast<std::streamoff>(offset), std::ios::beg);
            in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            if (!in || static_cast<std::size_t>(in.gcount()) != bytes.size())
                throw unreadable(name, "it ended before all samples were read");
            decodeSamples(bytes.data(), plane.size(), floatSamples, plane.data());
            for (std::size_t c = 0; c < plane.size(); ++c) target[c] += plane[c];
        }
        const float count = static_cast<float>(result.volumes.size());
        for (std::size_t c = 0; c < plane.size(); ++c) target[c] /= count;
    }
    return result;
}

}  // namespace zandrel
