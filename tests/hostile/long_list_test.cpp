// A list of 100,000 sets through `zandrel convert` under a 256 MB address-space limit: the
// list is read and each set answered as it comes, so memory does not grow with the list.
// Every file is missing, so every set is reported.
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "program_run.h"
#include "temp_dir.h"

namespace zandrel::test {
namespace {

constexpr int kSets = 100000;

TEST(LongList, HundredThousandSetsAreAnsweredWithinAFixedAddressSpace) {
#ifdef ZANDREL_SANITIZE
    GTEST_SKIP() << "the sanitizers reserve far more address space than the limit";
#endif
    TempDir dir;
    {
        std::ofstream list(dir.file("list.txt"), std::ios::binary);
        list << "./\n";
        for (int i = 0; i < kSets; ++i) {
            const std::string stem = "m/s" + std::to_string(i);
            list << stem << ".roi\n" << stem << "_run1.fmr\n" << stem << "_IA.trf\n"
                 << stem << "_FA.trf\n" << stem << "_ACPC.trf\n";
        }
        ASSERT_TRUE(list.good());
    }
    ProgramLimits limits;
    limits.addressSpaceBytes = 256ull << 20;
    limits.cpuSeconds = 30;
    const ProgramRun run = runProgram(ZANDREL_EXE, {"convert", "list.txt", "--transcript", "log.jsonl"}, dir.path().string(), limits);
    ASSERT_EQ(run.signal, 0) << run.err;
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_LT(run.cpuSeconds, 10.0);
    RecordProperty("peakKilobytes", std::to_string(run.peakKilobytes));

    // Seven entries a set: the report line, the five files and the absent landmark file.
    std::ifstream transcript(dir.file("log.jsonl"), std::ios::binary);
    std::string line, first, last;
    long entries = 0;
    while (std::getline(transcript, line)) {
        if (entries++ == 0) first = line;
        last = line;
    }
    EXPECT_EQ(entries, 7L * kSets);
    EXPECT_EQ(first, "\"!!!! Not enough files could be loaded to convert ./m/s0.roi\"");
    EXPECT_EQ(last, "\"TAL could not be loaded: \"");
}

}  // namespace
}  // namespace zandrel::test
