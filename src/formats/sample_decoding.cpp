#include "formats/sample_decoding.h"

#include <cstdint>
#include <cstring>

namespace zandrel {

void decodeSamples(const unsigned char* bytes, std::size_t count, bool floatSamples, float* target) {
    if (floatSamples) {
        for (std::size_t i = 0; i < count; ++i, bytes += 4) {
            const std::uint32_t bits = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
                                       static_cast<std::uint32_t>(bytes[2]) << 16 |
                                       static_cast<std::uint32_t>(bytes[3]) << 24;
            float value;
            std::memcpy(&value, &bits, sizeof value);
            target[i] = value;
        }
    } else {
        for (std::size_t i = 0; i < count; ++i, bytes += 2) {
            const std::uint16_t bits = static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
            target[i] = static_cast<float>(static_cast<std::int16_t>(bits));
        }
    }
}

}  // namespace zandrel
