// A global locale with a comma as decimal separator and digit grouping must not change
// what any reader reads.
#include <gtest/gtest.h>

#include <locale>
#include <string>

#include "formats/fmr_header.h"
#include "formats/tal_record.h"
#include "formats/trf_record.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

using test::TempDir;

struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
    std::string do_truename() const override { return "yes"; }
};

class GlobalLocale {
public:
    explicit GlobalLocale(const std::locale& locale) : previous_(std::locale::global(locale)) {}
    ~GlobalLocale() { std::locale::global(previous_); }
    GlobalLocale(const GlobalLocale&) = delete;
    GlobalLocale& operator=(const GlobalLocale&) = delete;

private:
    std::locale previous_;
};

TEST(ReaderLocale, CommaDecimalGlobalLocaleChangesNothing) {
    TempDir dir;
    const std::string fmr = dir.write("l.fmr",
        "InplaneResolutionX: 3.5\nResolutionX: 1.024\nShowAMRFile: 1\nSliceTimingTableSize: 2\n0.5 1,5\nTR: 2\n");
    const std::string trf = dir.write("l.trf", "DataFormat: Matrix\n0.25 1 2 3 4 5 6 7 8 9 10 11 12 13 14 1.5\n");
    const std::string tal = dir.write("l.tal", "TALVMRVoxelRes: 0.75\nAC: 1.000 2 3\n");

    GlobalLocale comma(std::locale(std::locale::classic(), new CommaDecimal));
    const FmrHeader h = readFmrHeader(fmr, false);
    EXPECT_EQ(h.InplaneResolutionX.value, 3.5f);
    EXPECT_EQ(h.ResolutionX.value, 1);  // no digit grouping: ".024" is a word of its own
    EXPECT_TRUE(h.ShowAMRFile.value);

    const FmrHeader table = readFmrHeader(dir.write("t.fmr", "SliceTimingTableSize: 2\n0.5 1,5\nTR: 2\n"), false);
    EXPECT_EQ(table.sliceTimingTable, (std::vector<float>{0.5f, 1.0f}));
    EXPECT_EQ(table.TR.value, 2);  // ",5" is the word dropped after the table

    const TrfRecord t = readTrfFile(trf);
    EXPECT_EQ(t.matrix.m[0], 0.25f);
    EXPECT_EQ(t.matrix.m[15], 1.5f);
    const TalRecord l = readTalFile(tal);
    EXPECT_EQ(l.TALVMRVoxelRes.value, 0.75f);
    EXPECT_EQ(l.landmarks[landmark::AC].x, 1);
    EXPECT_EQ(l.landmarks[landmark::AC].y, 0);
}

}  // namespace
}  // namespace zandrel
