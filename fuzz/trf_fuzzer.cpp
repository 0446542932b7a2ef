// Fuzz target: the TRF file reader.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/shortfall.h"
#include "formats/trf_record.h"
#include "fuzz_support.h"

using namespace zandrel;
using zandrel::fuzz::checkKeyedFields;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string path = fuzz::writeScratchFile("alignment.trf", input);

    const TrfRecord trf = readTrfFile(path);

    FUZZ_CHECK(trf.path == path);
    checkKeyedFields(trf, trfKeys(), input);

    // Matrices are read only after their announcing entries; otherwise they stay the identity.
    const Matrix4 identity;
    if (input.find("Matrix") == std::string::npos || !trf.DataFormat.present) FUZZ_CHECK(trf.matrix == identity);
    if (!trf.ExtraVMRTransf.present) FUZZ_CHECK(trf.extraMatrix == identity);
    // A matrix counts the numbers read only when an entry announced it (a later entry of
    // the same key may have changed the value since).
    FUZZ_CHECK(trf.matrixNumbersRead >= -1 && trf.matrixNumbersRead <= 16);
    FUZZ_CHECK(trf.extraMatrixNumbersRead >= -1 && trf.extraMatrixNumbersRead <= 16);
    if (trf.matrixNumbersRead >= 0) FUZZ_CHECK(trf.DataFormat.present && input.find("Matrix") != std::string::npos);
    if (trf.extraMatrixNumbersRead >= 0) FUZZ_CHECK(trf.ExtraVMRTransf.present);
    FUZZ_CHECK(trfMatrixRefusal(trf).empty() ==
               ((trf.matrixNumbersRead < 0 || trf.matrixNumbersRead == 16) &&
                (trf.extraMatrixNumbersRead < 0 || trf.extraMatrixNumbersRead == 16)));
    return 0;
}
