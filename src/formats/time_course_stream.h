#pragma once
// Reading the time-course data a few planes at a time instead of as one grid per volume.
// The file nests slice, volume, row, column (outermost first), so one slice of one volume
// is one contiguous plane and one slice of every volume is one contiguous block.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <istream>
#include <string>
#include <vector>

#include "formats/fmr_header.h"

namespace zandrel {

// Opens the data file `name` of `header` after the checks that any reading of it needs:
// a regular file (anything else refused unopened with "Failed opening STC for reading: "
// + name + " (a named pipe, not a regular file)" and the like), open for reading
// ("Failed opening STC for reading: " + name), sizes that can describe data, and at
// least the bytes the header promises (the refusal names the file and both sizes).
std::ifstream openTimeCourseFile(const FmrHeader& header, const std::string& name);

// Reads `count` little-endian samples from the stream's position into `target`, block by
// block through `buffer` (grown to at most 64 Ki samples). Throws, naming the file, when
// the stream ends early.
void readTimeCourseSamples(std::istream& in, const std::string& name, std::vector<unsigned char>& buffer,
                           bool floatSamples, float* target, std::size_t count);

// The open data file of one run, read plane by plane in any order; consecutive planes of
// the file are read without seeking.
class TimeCoursePlanes {
public:
    // Opens timeCourseFileName(header) with the checks of openTimeCourseFile, and refuses
    // a plane (ResolutionX x ResolutionY) of more than `maxPlaneSamples` samples, naming
    // the file, before anything is allocated.
    TimeCoursePlanes(const FmrHeader& header, std::uint64_t maxPlaneSamples);

    const std::string& name() const { return name_; }
    std::int32_t volumes() const { return volumes_; }
    std::int32_t slices() const { return slices_; }
    std::size_t planeSamples() const { return planeSamples_; }

    // Reads the plane of `slice` in `volume` (rows, then columns) into `target`
    // (planeSamples() floats).
    void read(std::int32_t slice, std::int32_t volume, float* target);

private:
    std::string name_;
    std::ifstream in_;
    bool floatSamples_ = false;
    std::int32_t volumes_ = 0;
    std::int32_t slices_ = 0;
    std::size_t planeSamples_ = 0;
    std::uint64_t next_ = 0;  // index of the plane at the stream's position
    std::vector<unsigned char> buffer_;
};

}  // namespace zandrel
