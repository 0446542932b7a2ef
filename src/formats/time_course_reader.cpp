// The time-course data of a functional project: raw little-endian samples, nested slice,
// volume, row, column (outermost first), loaded into one float grid per volume.
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "formats/file_probe.h"
#include "formats/fmr_header.h"
#include "formats/sample_decoding.h"
#include "formats/time_course_stream.h"

namespace zandrel {

namespace {

// Samples converted per block: large enough that the stream is called rarely, small
// enough that the byte buffer stays at a few hundred kilobytes.
constexpr std::size_t kBlockSamples = std::size_t{1} << 16;

std::string failurePrefix(const std::string& name) {
    return "Time-course data file " + name + " cannot be read: ";
}

// Refuses a grid size that cannot describe data: negative anywhere, or 0 while volumes
// are promised (a header with 0 volumes expects no data at all).
void checkGridSizes(const FmrHeader& header, const std::string& name) {
    const KeyedInt* sizes[] = {&header.NrOfVolumes, &header.NrOfSlices, &header.ResolutionX,
                               &header.ResolutionY};
    const char* names[] = {"NrOfVolumes", "NrOfSlices", "ResolutionX", "ResolutionY"};
    for (int i = 0; i < 4; ++i) {
        if (sizes[i]->value < 0) {
            throw std::runtime_error(failurePrefix(name) + names[i] + " is " +
                                     std::to_string(sizes[i]->value) + " in the header");
        }
    }
    if (header.NrOfVolumes.value == 0) return;
    for (int i = 1; i < 4; ++i) {
        if (sizes[i]->value == 0) {
            throw std::runtime_error(failurePrefix(name) + names[i] + " is 0 in the header but NrOfVolumes is " +
                                     std::to_string(header.NrOfVolumes.value));
        }
    }
}

// a * b, or false when it does not fit in 64 bits.
bool multiplyChecked(std::uint64_t a, std::uint64_t b, std::uint64_t& product) {
    if (a != 0 && b > std::numeric_limits<std::uint64_t>::max() / a) return false;
    product = a * b;
    return true;
}

std::uint64_t sizeOf(const std::string& name) {
    const std::optional<std::uint64_t> bytes = fileSize(name);
    if (!bytes) throw std::runtime_error(failurePrefix(name) + "its size cannot be determined");
    return *bytes;
}

void checkFileHoldsData(const FmrHeader& header, const std::string& name, std::uint64_t available,
                        std::uint64_t sampleBytes) {
    std::uint64_t promised = sampleBytes;
    bool fits = true;
    for (const KeyedInt* size : {&header.NrOfVolumes, &header.NrOfSlices, &header.ResolutionY, &header.ResolutionX}) {
        fits = fits && multiplyChecked(promised, static_cast<std::uint64_t>(size->value), promised);
    }
    if (fits && promised <= available) return;
    const std::string promise = fits ? std::to_string(promised) + " bytes"
                                     : "more than " + std::to_string(std::numeric_limits<std::uint64_t>::max()) + " bytes";
    throw std::runtime_error("Time-course data file " + name + " holds " + std::to_string(available) +
                             " bytes but the header promises " + promise + " (" +
                             std::to_string(header.NrOfVolumes.value) + " volumes x " +
                             std::to_string(header.NrOfSlices.value) + " slices x " +
                             std::to_string(header.ResolutionY.value) + " rows x " +
                             std::to_string(header.ResolutionX.value) + " columns of " +
                             std::to_string(sampleBytes) + " bytes)");
}

// Every volume costs a grid object and a heap block besides its samples. A header that
// promises very many tiny volumes would turn a small file into gigabytes of bookkeeping:
// refuse when that bookkeeping outweighs the samples themselves and passes 64 MiB.
void checkVolumeOverhead(const FmrHeader& header, const std::string& name) {
    constexpr std::uint64_t kVolumeCost = sizeof(VolumeGrid) + 64;
    constexpr std::uint64_t kOverheadLimit = std::uint64_t{64} << 20;
    const std::uint64_t volumes = static_cast<std::uint64_t>(header.NrOfVolumes.value);
    const std::uint64_t samplesPerVolume = static_cast<std::uint64_t>(header.NrOfSlices.value) *
                                           static_cast<std::uint64_t>(header.ResolutionY.value) *
                                           static_cast<std::uint64_t>(header.ResolutionX.value);
    const std::uint64_t overhead = volumes * kVolumeCost;
    if (overhead > kOverheadLimit && overhead > samplesPerVolume * sizeof(float) * volumes) {
        throw std::runtime_error(failurePrefix(name) + "NrOfVolumes is " + std::to_string(volumes) +
                                 " for volumes of only " + std::to_string(samplesPerVolume) + " samples");
    }
}

// 32-bit float samples when DataType is present and 2, signed 16-bit otherwise.
bool isFloatData(const FmrHeader& header) { return header.DataType.present && header.DataType.value == 2; }
std::size_t sampleBytesOf(const FmrHeader& header) { return isFloatData(header) ? 4 : 2; }

}  // namespace

// Everything the data file must be before any sample is read, in this order: a regular
// file (anything else is refused unopened: a named pipe would block), open for reading
// (raw bytes), sizes that can describe data, and all promised samples present.
std::ifstream openTimeCourseFile(const FmrHeader& header, const std::string& name) {
    const std::string failure = "Failed opening STC for reading: " + name;
    refuseNonRegularFile(name, failure);
    std::ifstream in(name, std::ios::in | std::ios::binary);
    if (in.fail()) throw std::runtime_error(failure);
    checkGridSizes(header, name);
    checkFileHoldsData(header, name, sizeOf(name), sampleBytesOf(header));
    return in;
}

void readTimeCourseSamples(std::istream& in, const std::string& name, std::vector<unsigned char>& buffer,
                           bool floatSamples, float* target, std::size_t count) {
    const std::size_t sampleBytes = floatSamples ? 4 : 2;
    // The buffer grows to at most one block; a larger one handed in is used as it is.
    const std::size_t wanted = std::min(count, kBlockSamples) * sampleBytes;
    if (buffer.size() < wanted) buffer.resize(wanted);
    const std::size_t blockLimit = buffer.size() / sampleBytes;
    while (count > 0) {
        const std::size_t block = std::min(count, blockLimit);
        const std::size_t bytes = block * sampleBytes;
        in.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(bytes));
        // The size was checked before: a short read means the file changed while it was read.
        if (static_cast<std::size_t>(in.gcount()) != bytes) {
            throw std::runtime_error(failurePrefix(name) + "it ended before all samples were read");
        }
        decodeSamples(buffer.data(), block, floatSamples, target);
        target += block;
        count -= block;
    }
}

namespace {

// The checks of openTimeCourseFile, and a volume count whose bookkeeping as one grid per
// volume stays in proportion. Returns the open stream at the start.
std::ifstream openCheckedTimeCourseFile(const FmrHeader& header, const std::string& name) {
    std::ifstream in = openTimeCourseFile(header, name);
    checkVolumeOverhead(header, name);
    return in;
}

}  // namespace

std::string timeCourseFileName(const FmrHeader& header) {
    return directoryOf(header.path) + header.Prefix.value + ".stc";
}

void checkTimeCourseFile(const FmrHeader& header) { openCheckedTimeCourseFile(header, timeCourseFileName(header)); }

void readTimeCourseData(FmrHeader& header) {
    const std::string name = timeCourseFileName(header);
    std::ifstream in = openCheckedTimeCourseFile(header, name);
    const bool floatSamples = isFloatData(header);
    const std::size_t sampleBytes = sampleBytesOf(header);

    const std::int32_t volumeCount = header.NrOfVolumes.value;
    const std::int32_t sliceCount = header.NrOfSlices.value;
    // Past the checks every size is positive (or there are no volumes) and the whole
    // data fits in the file, so the grids cost at most twice the file's size.
    std::vector<VolumeGrid> volumes;
    volumes.reserve(static_cast<std::size_t>(volumeCount));
    for (std::int32_t v = 0; v < volumeCount; ++v) {
        volumes.emplace_back(header.ResolutionX.value, header.ResolutionY.value, sliceCount);
    }

    // One slice of one volume is a contiguous run in the file and in its grid.
    const std::size_t planeSamples =
        static_cast<std::size_t>(header.ResolutionX.value) * static_cast<std::size_t>(header.ResolutionY.value);
    std::vector<unsigned char> buffer(std::min(planeSamples, kBlockSamples) * sampleBytes);
    for (std::int32_t s = 0; s < sliceCount && volumeCount > 0; ++s) {
        for (std::int32_t v = 0; v < volumeCount; ++v) {
            float* plane = volumes[static_cast<std::size_t>(v)].data() + static_cast<std::size_t>(s) * planeSamples;
            readTimeCourseSamples(in, name, buffer, floatSamples, plane, planeSamples);
        }
    }
    header.volumes = std::move(volumes);
}

}  // namespace zandrel
