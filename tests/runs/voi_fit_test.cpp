// Which .voi files fit a run: the ReferenceSpace the run's conversion writes, and for grid
// files the 256-point grid of 1 mm. Every other pairing is refused, with its reason.

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "chain/set_chain.h"
#include "expect_throw.h"
#include "runs/footprint.h"
#include "runs/voi_fit.h"
#include "voi_fixtures.h"

namespace zandrel {
namespace {

using namespace zandrel::test;

enum class RunSpace { native, acpc, talairach };

SetChain chainOf(RunSpace run) {
    ChainRecords c = identityChain();
    if (run != RunSpace::native) c.acpc = makeTrf(Matrix4{}, 1);
    if (run == RunSpace::talairach) c.tal = atlasTal(3);
    return computeSetChain(c.fmr, c.ia, c.fa, c.acpc, c.tal);
}

const char* nameOf(RunSpace run) {
    switch (run) {
        case RunSpace::native: return "run without ACPC";
        case RunSpace::acpc: return "ACPC run";
        case RunSpace::talairach: return "Talairach run";
    }
    return "";
}

VoiFile voiIn(const std::string& space) {
    VoiFile file;
    file.ReferenceSpace.value = space;
    return file;
}

TEST(VoiFit, OnlyTheSpaceTheRunsConversionWritesFits) {
    struct Case {
        RunSpace run;
        const char* space;
        bool fits;
    };
    const Case cases[] = {
        {RunSpace::acpc, "ACPC", true},        {RunSpace::acpc, "TAL", false},       {RunSpace::acpc, "GF", false},
        {RunSpace::acpc, "MNI", false},        {RunSpace::acpc, "NATIVE", false},    {RunSpace::acpc, "acpc", true},
        {RunSpace::talairach, "TAL", true},    {RunSpace::talairach, "ACPC", false}, {RunSpace::talairach, "GF", false},
        {RunSpace::talairach, "MNI", false},   {RunSpace::native, "GF", true},       {RunSpace::native, "ACPC", false},
        {RunSpace::native, "TAL", false},      {RunSpace::native, "native", false}, {RunSpace::talairach, "Tal", true}, {RunSpace::native, "gf", true},  {RunSpace::native, "", false},
    };
    for (const Case& c : cases) {
        const std::optional<std::string> why = spaceMismatch(voiIn(c.space), chainOf(c.run));
        EXPECT_EQ(!why.has_value(), c.fits) << "\"" << c.space << "\" on a " << nameOf(c.run) << ": " << why.value_or("fits");
    }
}

TEST(VoiFit, ReasonsNameTheSpacesAndTheFieldsAtFault) {
    EXPECT_EQ(spaceMismatch(voiIn("MNI"), chainOf(RunSpace::talairach)).value_or("fits"),
              "ReferenceSpace \"MNI\" does not fit the run: its VOIs are in \"TAL\" space (the run has an ACPC "
              "transformation and a TAL file)");
    EXPECT_EQ(spaceMismatch(voiIn("ACPC"), chainOf(RunSpace::native)).value_or("fits"),
              "ReferenceSpace \"ACPC\" does not fit the run: its VOIs are in \"GF\" space (the run has no ACPC "
              "transformation)");

    VoiFile coarse = voiIn("ACPC");
    coarse.OriginalVMRResolutionY.value = 2;
    EXPECT_EQ(spaceMismatch(coarse, chainOf(RunSpace::acpc)).value_or("fits"),
              "its grid is not the 256-point grid of 1 mm that the run's chain reaches: OriginalVMRResolutionY is 2, "
              "not 1");
    VoiFile large = voiIn("GF");
    large.OriginalVMRFramingCubeDim.value = 512;
    EXPECT_TRUE(spaceMismatch(large, chainOf(RunSpace::native)).has_value());
    // An offset grid is refused, never read as if it had none.
    VoiFile offset = voiIn("ACPC");
    offset.OriginalVMROffsetZ.present = true;
    offset.OriginalVMROffsetZ.value = 12;
    EXPECT_EQ(spaceMismatch(offset, chainOf(RunSpace::acpc)).value_or("fits"),
              "its grid is not the 256-point grid of 1 mm that the run's chain reaches: OriginalVMROffsetZ is 12, "
              "not 0");
    // A field the file lacks takes a fresh file's value; Talairach triples are millimetres.
    VoiFile without = voiIn("ACPC");
    without.OriginalVMRResolutionX.present = false;
    without.OriginalVMRResolutionX.value = 0;
    EXPECT_FALSE(spaceMismatch(without, chainOf(RunSpace::acpc)).has_value());
    VoiFile talairach = voiIn("TAL");
    talairach.OriginalVMRResolutionZ.value = 3;
    EXPECT_FALSE(spaceMismatch(talairach, chainOf(RunSpace::talairach)).has_value());
}

TEST(VoiFit, FootprintRefusesAFileThatDoesNotFit) {
    const ChainRecords c = identityChain();
    VoiFile file = voiIn("MNI");
    const SetChain chain = chainOf(RunSpace::acpc);
    EXPECT_TRUE(throwsWithMessage<std::runtime_error>(
        [&] { computeFootprint(file, chain, c.fmr); },
        "ReferenceSpace \"MNI\" does not fit the run: its VOIs are in \"ACPC\" space (the run has an ACPC "
        "transformation and no TAL file)"));
}

}  // namespace
}  // namespace zandrel
