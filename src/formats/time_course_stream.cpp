#include "formats/time_course_stream.h"

#include <stdexcept>

namespace zandrel {

TimeCoursePlanes::TimeCoursePlanes(const FmrHeader& header, std::uint64_t maxPlaneSamples)
    : name_(timeCourseFileName(header)), in_(openTimeCourseFile(header, name_)) {
    floatSamples_ = header.DataType.present && header.DataType.value == 2;
    volumes_ = header.NrOfVolumes.value;
    slices_ = header.NrOfSlices.value;
    // Past the checks no size is negative, so the product of two 31-bit values fits.
    const std::uint64_t plane = static_cast<std::uint64_t>(header.ResolutionX.value) *
                                static_cast<std::uint64_t>(header.ResolutionY.value);
    if (plane > maxPlaneSamples) {
        throw std::runtime_error("Time-course data file " + name_ + " cannot be read: a slice of " +
                                 std::to_string(header.ResolutionX.value) + " x " +
                                 std::to_string(header.ResolutionY.value) + " samples exceeds " +
                                 std::to_string(maxPlaneSamples));
    }
    planeSamples_ = static_cast<std::size_t>(plane);
}

void TimeCoursePlanes::read(std::int32_t slice, std::int32_t volume, float* target) {
    if (slice < 0 || slice >= slices_ || volume < 0 || volume >= volumes_)
        throw std::out_of_range("plane outside the time-course data");
    const std::uint64_t index = static_cast<std::uint64_t>(slice) * static_cast<std::uint64_t>(volumes_) +
                                static_cast<std::uint64_t>(volume);
    if (index != next_) {
        const std::uint64_t offset = index * planeSamples_ * (floatSamples_ ? 4u : 2u);
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset), std::ios::beg);
    }
    next_ = ~std::uint64_t{0};  // unknown until the read succeeds
    readTimeCourseSamples(in_, name_, buffer_, floatSamples_, target, planeSamples_);
    next_ = index + 1;
}

}  // namespace zandrel
