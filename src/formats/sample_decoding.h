#pragma once

#include <cstddef>

namespace zandrel {

// Decodes `count` little-endian time-course samples from `bytes` into floats: 4-byte
// floats when `floatSamples`, signed 16-bit integers (converted by value) otherwise.
// Samples are assembled from their bytes, so the result is the same on every host.
void decodeSamples(const unsigned char* bytes, std::size_t count, bool floatSamples, float* target);

}  // namespace zandrel
