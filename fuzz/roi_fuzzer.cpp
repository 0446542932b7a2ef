// Fuzz target: the ROI file reader.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/roi_file.h"
#include "formats/shortfall.h"
#include "fuzz_support.h"

using namespace zandrel;
using zandrel::fuzz::checkKeyedFields;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string path = fuzz::writeScratchFile("regions.roi", input);

    const RoiFile roi = readRoiFile(path);

    FUZZ_CHECK(roi.path == path);
    checkKeyedFields(roi, roiHeaderKeys(), input);

    // Never more plots than announced; none without the announcement.
    const std::int32_t announcedPlots = roi.NrOfTCPlots.present ? roi.NrOfTCPlots.value : 0;
    FUZZ_CHECK(roi.plots.size() <= static_cast<std::size_t>(announcedPlots > 0 ? announcedPlots : 0));

    std::size_t triples = 0;
    for (const RoiPlot& plot : roi.plots) {
        checkKeyedFields(plot, roiPlotKeys(), input);
        // A plot is kept only after its voxel count was read.
        FUZZ_CHECK(plot.NrOfVoxels.present);
        const std::int32_t announced = plot.NrOfVoxels.value;
        FUZZ_CHECK(plot.voxels.size() <= static_cast<std::size_t>(announced > 0 ? announced : 0));
        triples += plot.voxels.size();
    }
    // Every voxel is three integers that stood in the file: a triple cut short by the end
    // of the file never becomes a voxel.
    FUZZ_CHECK(triples * 3 <= fuzz::countDigitRuns(input));
    // The shortfall counts the plots that were read.
    const RoiShortfall shortfall = roiShortfall(roi);
    FUZZ_CHECK(shortfall.readPlots == roi.plots.size());
    return 0;
}
