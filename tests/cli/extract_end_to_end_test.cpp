// `zandrel extract` run as a program on generated runs: every statistic against a
// straightforward reference computed here from the time-course samples (16-bit and float
// data, weighted and unweighted, thresholds 0, 0.5 and 1), the round trip of a converted ROI,
// repeated names, a VOI that selects nothing, one volume, a short time-course file, a NaN
// sample, a VOI that does not fit the run, and the dry run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include <sys/stat.h>

#include "chain/set_chain.h"
#include "formats/fmr_header.h"
#include "formats/roi_file.h"
#include "formats/tal_record.h"
#include "formats/trf_record.h"
#include "generator/study_generator.h"
#include "outputs/runs/coverage_table.h"
#include "program_run.h"
#include "runs/footprint.h"
#include "temp_dir.h"
#include "voi/voi_builder.h"
#include "voi/voi_reader.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;

// One generated subject whose ROI became a .voi file of three VOIs: the ROI's two plots,
// both named "Same", and "Lonely", a single grid point of the first plot, which fills too
// little of any functional voxel to be selected unless the threshold is 0.
struct Subject {
    studygen::SubjectFiles files;
    std::string voiPath;
    FmrHeader fmr;
    SetChain chain;
    RoiFile roi;
};

// A run set: the .voi file of one subject on the run of another (or the same).
struct RunPair {
    std::size_t voi, run;
};

// Three subjects (Talairach int16, ACPC float, Talairach int16); the sets place each
// subject's .voi on its own run, and the first subject's on the third's run, where voxels
// are partly filled.
struct Study {
    TempDir dir;
    std::vector<Subject> subjects;
    std::vector<RunPair> sets;
    std::string listPath;

    explicit Study(int volumes, std::uint64_t seed = 5) {
        studygen::StudyPlan plan = studygen::testStudyPlan(3, seed);
        for (studygen::SubjectPlan& subject : plan.subjects) subject.volumes = volumes;
        const studygen::GeneratedStudy study = studygen::writeStudy(dir.file("study"), plan);
        for (const studygen::SubjectFiles& files : study.subjects) {
            Subject s;
            s.files = files;
            s.fmr = readFmrHeader(files.fmr, false);
            const TalRecord tal = files.tal.empty() ? TalRecord{} : readTalFile(files.tal);
            s.chain = computeSetChain(s.fmr, readTrfFile(files.ia), readTrfFile(files.fa), readTrfFile(files.acpc), tal);
            s.roi = readRoiFile(files.roi);
            VoiFile voi = buildVoiFile(s.roi, s.fmr, s.chain);
            voi.vois[0].NameOfVOI.value = "Same";
            voi.vois[1].NameOfVOI.value = "Same";
            Voi lonely = voi.vois[0];
            lonely.NameOfVOI.value = "Lonely";
            lonely.voxels.resize(1);
            lonely.NrOfVoxels.value = 1;
            voi.vois.push_back(lonely);
            voi.NrOfVOIs.value = 3;
            s.voiPath = files.roi.substr(0, files.roi.size() - 4) + "_v.voi";
            voi.fileName = s.voiPath;
            voi.save();
            subjects.push_back(s);
        }
        sets = {{0, 0}, {1, 1}, {0, 2}};
        std::string list = "\n";
        for (const RunPair& set : sets) {
            const studygen::SubjectFiles& run = subjects[set.run].files;
            list += subjects[set.voi].voiPath + "\n" + run.fmr + "\n" + run.ia + "\n" + run.fa + "\n" + run.acpc + "\n";
            if (!run.tal.empty()) list += run.tal + "\n";
        }
        listPath = dir.write("runs.txt", list);
    }

    // "<fmr stem>_<voi stem>" beside the run of set `n`.
    std::string stem(std::size_t n) const {
        const fs::path fmr(subjects[sets[n].run].files.fmr);
        const fs::path voi(subjects[sets[n].voi].voiPath);
        return (fmr.parent_path() / (fmr.stem().string() + "_" + voi.stem().string())).string();
    }
};

test::ProgramRun extract(const Study& study, std::vector<std::string> args) {
    args.insert(args.begin(), {"extract", study.listPath});
    return test::runProgram(ZANDREL_EXECUTABLE, args, study.dir.path().string());
}

struct Table {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
};

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        out.push_back(line.substr(start, tab - start));
    out.push_back(line.substr(start));
    return out;
}

Table readTable(const std::string& path) {
    std::istringstream in(readFile(path));
    Table table;
    std::string line;
    std::getline(in, line);
    table.header = fields(line);
    while (std::getline(in, line)) table.rows.push_back(fields(line));
    return table;
}

// Sample of cell c in volume t, decoded here from the data file: int16 or float,
// little-endian, nested slice, volume, row, column.
double sampleAt(const std::string& data, const FmrHeader& fmr, const VoxelTriple& c, int t) {
    const std::size_t plane = static_cast<std::size_t>(fmr.ResolutionX.value) * fmr.ResolutionY.value;
    const std::size_t n = (static_cast<std::size_t>(c.z) * fmr.NrOfVolumes.value + t) * plane +
                          static_cast<std::size_t>(c.y) * fmr.ResolutionX.value + c.x;
    const auto byte = [&](std::size_t at) { return static_cast<std::uint32_t>(static_cast<unsigned char>(data.at(at))); };
    if (fmr.DataType.value == 2) {
        const std::uint32_t bits = byte(4 * n) | byte(4 * n + 1) << 8 | byte(4 * n + 2) << 16 | byte(4 * n + 3) << 24;
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    return static_cast<std::int16_t>(byte(2 * n) | byte(2 * n + 1) << 8);
}

// The straightforward statistics of one VOI's selected cells: samples[c][t].
struct Reference {
    std::vector<std::vector<double>> samples;
    std::vector<double> weights;

    std::size_t volumes() const { return samples.empty() ? 0 : samples[0].size(); }
    std::vector<double> column(std::size_t t) const {
        std::vector<double> x;
        for (const std::vector<double>& cell : samples) x.push_back(cell[t]);
        return x;
    }
    double mean(std::size_t t, bool weighted) const {
        double sum = 0.0, weightSum = 0.0;
        for (std::size_t c = 0; c < samples.size(); ++c) {
            sum += weighted ? weights[c] * samples[c][t] : samples[c][t];
            weightSum += weights[c];
        }
        return weighted ? sum / weightSum : sum / static_cast<double>(samples.size());
    }
    double median(std::size_t t) const {
        std::vector<double> x = column(t);
        std::sort(x.begin(), x.end());
        const std::size_t n = x.size();
        return n % 2 == 1 ? x[n / 2] : (x[n / 2 - 1] + x[n / 2]) / 2.0;
    }
    double std(std::size_t t) const {
        const double m = mean(t, false);
        double squares = 0.0;
        for (const double x : column(t)) squares += (x - m) * (x - m);
        return std::sqrt(squares / static_cast<double>(samples.size()));
    }
    double min(std::size_t t) const {
        const std::vector<double> x = column(t);
        return *std::min_element(x.begin(), x.end());
    }
    double max(std::size_t t) const {
        const std::vector<double> x = column(t);
        return *std::max_element(x.begin(), x.end());
    }
    // Power iteration on the cells' covariance (Y^T Y), independent of the program's solver.
    std::vector<double> eigen() const {
        const std::size_t n = samples.size(), m = volumes();
        std::vector<std::vector<double>> y(n, std::vector<double>(m));
        for (std::size_t c = 0; c < n; ++c) {
            double mean = 0.0;
            for (const double x : samples[c]) mean += x;
            mean /= static_cast<double>(m);
            for (std::size_t t = 0; t < m; ++t) y[c][t] = samples[c][t] - mean;
        }
        std::vector<double> v(n, 1.0), w(n);
        for (int iteration = 0; iteration < 5000; ++iteration) {
            std::vector<double> yv(m, 0.0);
            for (std::size_t c = 0; c < n; ++c)
                for (std::size_t t = 0; t < m; ++t) yv[t] += y[c][t] * v[c];
            double norm = 0.0;
            for (std::size_t c = 0; c < n; ++c) {
                w[c] = 0.0;
                for (std::size_t t = 0; t < m; ++t) w[c] += y[c][t] * yv[t];
                norm += w[c] * w[c];
            }
            if (norm == 0.0) return std::vector<double>(m, 0.0);
            for (std::size_t c = 0; c < n; ++c) v[c] = w[c] / std::sqrt(norm);
        }
        double sum = 0.0;
        for (const double x : v) sum += x;
        std::vector<double> e(m, 0.0);
        for (std::size_t t = 0; t < m; ++t) {
            for (std::size_t c = 0; c < n; ++c) e[t] += y[c][t] * v[c];
            e[t] *= (sum < 0.0 ? -1.0 : 1.0) / std::sqrt(static_cast<double>(n));
        }
        return e;
    }
};

std::vector<Reference> referencesOf(const std::string& voiPath, const Subject& subject, double threshold) {
    const Footprint footprint = computeFootprint(readVoiFile(voiPath).file, subject.chain, subject.fmr);
    const std::string data = readFile(timeCourseFileName(subject.fmr));
    std::vector<Reference> references;
    for (const VoiFootprint& voi : footprint.vois) {
        Reference r;
        for (const FootprintCell& cell : voi.touched) {
            if (!isSelected(cell, threshold)) continue;
            r.weights.push_back(cell.occupancy());
            r.samples.emplace_back();
            for (int t = 0; t < subject.fmr.NrOfVolumes.value; ++t) r.samples.back().push_back(sampleAt(data, subject.fmr, cell.cell, t));
        }
        references.push_back(r);
    }
    return references;
}

double number(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

const char* const kEvery = "mean,median,std,min,max,eigen";

struct Case {
    double threshold;
    bool weighted;
};

class ExtractStatistics : public ::testing::TestWithParam<Case> {};

TEST_P(ExtractStatistics, EveryStatisticMatchesTheReference) {
    const Case c = GetParam();
    const Study study(12);
    std::vector<std::string> args = {"--stat", kEvery, "--min-occupancy", std::to_string(c.threshold)};
    if (c.weighted) args.push_back("--weighted");
    const test::ProgramRun run = extract(study, args);
    EXPECT_EQ(run.status, 0) << run.err;

    bool partlyFilled = false;
    for (std::size_t s = 0; s < study.sets.size(); ++s) {
        const Subject& subject = study.subjects[study.sets[s].run];
        const std::string& voiPath = study.subjects[study.sets[s].voi].voiPath;
        SCOPED_TRACE(voiPath + " on " + subject.files.fmr + (subject.fmr.DataType.value == 2 ? " (float)" : " (int16)"));
        EXPECT_NE(run.out.find("Extracted " + voiPath + " from " + subject.files.fmr + "\n"), std::string::npos)
            << run.out;
        const std::vector<Reference> refs = referencesOf(voiPath, subject, c.threshold);
        for (const Reference& r : refs)
            for (const double f : r.weights) partlyFilled = partlyFilled || f < 1.0;
        ASSERT_EQ(refs.size(), 3u);
        ASSERT_FALSE(refs[0].samples.empty());
        const bool lonelySelected = !refs[2].samples.empty();
        EXPECT_EQ(lonelySelected, c.threshold == 0.0);
        const std::string nothing = "VOI 3 (\"Lonely\") of " + voiPath + " selects no voxel of " + subject.files.fmr;
        EXPECT_EQ(run.out.find(nothing) != std::string::npos, !lonelySelected) << run.out;

        for (const char* statistic : {"mean", "median", "std", "min", "max", "eigen"}) {
            SCOPED_TRACE(statistic);
            const Table table = readTable(study.stem(s) + "_stat-" + statistic + "_timeseries.tsv");
            EXPECT_EQ(table.header, (std::vector<std::string>{"Same", "Same_2", "Lonely"}));
            ASSERT_EQ(table.rows.size(), 12u);
            for (std::size_t v = 0; v < 3; ++v) {
                const Reference& r = refs[v];
                const std::vector<double> eigen = r.samples.empty() ? std::vector<double>{} : r.eigen();
                for (std::size_t t = 0; t < 12; ++t) {
                    const std::string& text = table.rows[t].at(v);
                    if (r.samples.empty()) {
                        EXPECT_EQ(text, "n/a");
                        continue;
                    }
                    const double got = number(text);
                    const std::string what = "VOI " + std::to_string(v + 1) + " volume " + std::to_string(t) + ": " + text;
                    const std::string name = statistic;
                    if (name == "mean") { EXPECT_DOUBLE_EQ(got, r.mean(t, c.weighted)) << what; }
                    if (name == "median") { EXPECT_EQ(got, r.median(t)) << what; }
                    if (name == "min") { EXPECT_EQ(got, r.min(t)) << what; }
                    if (name == "max") { EXPECT_EQ(got, r.max(t)) << what; }
                    if (name == "std") { EXPECT_NEAR(got, r.std(t), 1e-9 * (1.0 + r.std(t))) << what; }
                    if (name == "eigen") { EXPECT_NEAR(got, eigen[t], 1e-6 * (1.0 + std::fabs(eigen[t]))) << what; }
                }
            }
        }
        // The coverage table is the one `project` writes.
        const Footprint footprint = computeFootprint(readVoiFile(voiPath).file, subject.chain, subject.fmr);
        EXPECT_EQ(readFile(study.stem(s) + "_coverage.tsv"), coverageTableText(footprint, c.threshold));

        const nlohmann::json sidecar = nlohmann::json::parse(readFile(study.stem(s) + "_timeseries.json"));
        EXPECT_EQ(sidecar["SamplingFrequency"].get<double>(), 1000.0 / subject.fmr.TR.value);
        EXPECT_EQ(sidecar["MinOccupancy"].get<double>(), c.threshold);
        EXPECT_EQ(sidecar["Weighted"], c.weighted);
        EXPECT_EQ(sidecar["VoiFile"], voiPath);
        EXPECT_EQ(sidecar["Statistics"].size(), 6u);
        ASSERT_EQ(sidecar["Columns"].size(), 3u);
        EXPECT_EQ(sidecar["Columns"][1]["Name"], "Same_2");
        EXPECT_EQ(sidecar["Columns"][2]["SelectedVoxels"], refs[2].samples.size());
    }
    // The weights and thresholds between 0 and 1 are put to the test only where cells are partly filled.
    if (c.threshold < 1.0) {
        EXPECT_TRUE(partlyFilled);
    }
}

INSTANTIATE_TEST_SUITE_P(ThresholdsAndWeights, ExtractStatistics,
                         ::testing::Values(Case{0.0, false}, Case{0.5, false}, Case{0.5, true}, Case{1.0, false},
                                           Case{1.0, true}),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return "T" + std::to_string(static_cast<int>(info.param.threshold * 10)) +
                                    (info.param.weighted ? "Weighted" : "Unweighted");
                         });

// A ROI converted and extracted on its own run with T = 1 gives exactly the mean over the
// ROI's voxels, volume by volume.
TEST(ExtractCommand, ConvertedRoiOnItsOwnRunGivesTheMeanOverItsVoxels) {
    const Study study(7);
    const test::ProgramRun run = extract(study, {"--min-occupancy", "1"});
    ASSERT_EQ(run.status, 0) << run.err;
    for (std::size_t s = 0; s < 2; ++s) {
        const Subject& subject = study.subjects[s];
        const std::string data = readFile(timeCourseFileName(subject.fmr));
        const Table table = readTable(study.stem(s) + "_stat-mean_timeseries.tsv");
        for (std::size_t p = 0; p < 2; ++p) {
            std::vector<VoxelTriple> cells;
            for (const VoxelTriple& v : subject.roi.plots[p].voxels)
                if (v.x >= 0 && v.y >= 0 && v.z >= 0 && v.x < subject.fmr.ResolutionX.value &&
                    v.y < subject.fmr.ResolutionY.value && v.z < subject.fmr.NrOfSlices.value)
                    cells.push_back(v);
            std::sort(cells.begin(), cells.end(),
                      [](const VoxelTriple& a, const VoxelTriple& b) { return std::tie(a.z, a.y, a.x) < std::tie(b.z, b.y, b.x); });
            cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
            for (int t = 0; t < 7; ++t) {
                double sum = 0.0;
                for (const VoxelTriple& c : cells) sum += sampleAt(data, subject.fmr, c, t);
                EXPECT_EQ(number(table.rows[static_cast<std::size_t>(t)].at(p)), sum / static_cast<double>(cells.size()))
                    << subject.files.fmr << " plot " << p + 1 << " volume " << t;
            }
        }
    }
}

TEST(ExtractCommand, OneVolume) {
    const Study study(1);
    const test::ProgramRun run = extract(study, {"--stat", kEvery});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<Reference> refs = referencesOf(study.subjects[0].voiPath, study.subjects[0], 0.5);
    for (const char* statistic : {"mean", "median", "std", "min", "max", "eigen"}) {
        const Table table = readTable(study.stem(0) + "_stat-" + statistic + "_timeseries.tsv");
        ASSERT_EQ(table.rows.size(), 1u) << statistic;
        const std::string name = statistic;
        const double expected = name == "mean"     ? refs[0].mean(0, false)
                                : name == "median" ? refs[0].median(0)
                                : name == "min"    ? refs[0].min(0)
                                : name == "max"    ? refs[0].max(0)
                                : name == "std"    ? refs[0].std(0)
                                                   : 0.0;  // one volume: every course is its own mean
        EXPECT_NEAR(number(table.rows[0][0]), expected, 1e-9 * (1.0 + std::fabs(expected))) << statistic;
        EXPECT_EQ(table.rows[0][2], "n/a") << statistic;
    }
}

TEST(ExtractCommand, ShortTimeCourseFileRefusesItsSetNamingTheFile) {
    const Study study(4);
    const std::string stc = timeCourseFileName(study.subjects[1].fmr);
    fs::resize_file(stc, fs::file_size(stc) - 1);

    const test::ProgramRun dry = extract(study, {"--dry-run"});
    EXPECT_EQ(dry.status, 1);
    EXPECT_NE(dry.out.find("Would write " + study.stem(0) + "_timeseries.json and its tables from"), std::string::npos)
        << dry.out;

    const test::ProgramRun run = extract(study, {"--transcript", "log.jsonl"});
    EXPECT_EQ(run.status, 1);
    const std::string refusal = "!!!! Could not extract " + study.subjects[1].voiPath + " from " + study.subjects[1].files.fmr + ": ";
    const std::size_t at = run.out.find(refusal);
    ASSERT_NE(at, std::string::npos) << run.out;
    EXPECT_NE(run.out.find(stc, at), std::string::npos) << run.out;
    EXPECT_TRUE(fs::exists(study.stem(0) + "_stat-mean_timeseries.tsv"));
    for (const char* ending : {"_stat-mean_timeseries.tsv", "_timeseries.json", "_coverage.tsv"})
        EXPECT_FALSE(fs::exists(study.stem(1) + ending)) << ending;
    // The transcript holds the same entries.
    EXPECT_NE(readFile(study.dir.file("log.jsonl")).find("Could not extract"), std::string::npos);
}

TEST(ExtractCommand, TimeCourseFileThatIsNoRegularFileIsRefusedUnopened) {
    const Study study(2);
    const std::string stc = timeCourseFileName(study.subjects[1].fmr);
    fs::remove(stc);
    ASSERT_EQ(mkfifo(stc.c_str(), 0600), 0);
    const test::ProgramRun run = extract(study, {});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("!!!! Could not extract " + study.subjects[1].voiPath + " from " + study.subjects[1].files.fmr +
                           ": Failed opening STC for reading: " + stc + " (a named pipe, not a regular file)"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Extracted " + study.subjects[0].voiPath), std::string::npos) << run.out;
}

TEST(ExtractCommand, DryRunWritesNothing) {
    const Study study(3);
    const auto before = std::distance(fs::recursive_directory_iterator(study.dir.path()), fs::recursive_directory_iterator());
    const test::ProgramRun run = extract(study, {"--dry-run", "--stat", kEvery});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(study.dir.path()), fs::recursive_directory_iterator()), before);
}

TEST(ExtractCommand, NaNSampleSpoilsItsVolumeAndTheWholeEigenvariate) {
    const Study study(5);
    const Subject& subject = study.subjects[1];  // float data
    ASSERT_EQ(subject.fmr.DataType.value, 2);
    const std::vector<Reference> refs = referencesOf(subject.voiPath, subject, 0.5);
    // The first selected cell of VOI 1 in volume 2.
    const Footprint footprint = computeFootprint(readVoiFile(subject.voiPath).file, subject.chain, subject.fmr);
    const VoxelTriple c = selectedCells(footprint.vois[0], 0.5).at(0);
    const std::size_t plane = static_cast<std::size_t>(subject.fmr.ResolutionX.value) * subject.fmr.ResolutionY.value;
    const std::size_t n = (static_cast<std::size_t>(c.z) * 5 + 2) * plane + static_cast<std::size_t>(c.y) * subject.fmr.ResolutionX.value + c.x;
    {
        std::fstream stc(timeCourseFileName(subject.fmr), std::ios::in | std::ios::out | std::ios::binary);
        stc.seekp(static_cast<std::streamoff>(4 * n));
        const unsigned char nan[4] = {0x00, 0x00, 0xC0, 0x7F};
        stc.write(reinterpret_cast<const char*>(nan), 4);
    }
    const test::ProgramRun run = extract(study, {"--stat", kEvery});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* statistic : {"mean", "median", "std", "min", "max", "eigen"}) {
        const Table table = readTable(study.stem(1) + "_stat-" + statistic + "_timeseries.tsv");
        for (std::size_t t = 0; t < 5; ++t) {
            const bool spoilt = std::string(statistic) == "eigen" || t == 2;
            EXPECT_EQ(table.rows[t][0] == "n/a", spoilt) << statistic << " volume " << t;
            EXPECT_NE(table.rows[t][1], "n/a") << statistic << " volume " << t;  // VOI 2 does not hold the cell
        }
    }
    EXPECT_FALSE(refs[1].samples.empty());
}

TEST(ExtractCommand, VoiOfAnotherSpaceIsRefusedNamingTheFile) {
    Study study(2);
    // The Talairach VOI of subject 1 on the ACPC run of subject 2.
    std::string list = "\n" + study.subjects[0].voiPath + "\n" + study.subjects[1].files.fmr + "\n" +
                       study.subjects[1].files.ia + "\n" + study.subjects[1].files.fa + "\n" +
                       study.subjects[1].files.acpc + "\n";
    study.listPath = study.dir.write("mismatch.txt", list);
    const test::ProgramRun run = extract(study, {});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("!!!! Could not extract " + study.subjects[0].voiPath + " from " + study.subjects[1].files.fmr +
                           ": ReferenceSpace"),
              std::string::npos)
        << run.out;
}

TEST(ExtractCommand, UsageErrors) {
    const Study study(2);
    EXPECT_EQ(extract(study, {"--stat", "mean,mode"}).status, 2);
    EXPECT_EQ(extract(study, {"--min-occupancy", "1.5"}).status, 2);
    EXPECT_EQ(extract(study, {"--min-occupancy", "nan"}).status, 2);
    EXPECT_EQ(extract(study, {"--output-dir", study.dir.file("missing")}).status, 2);
    const test::ProgramRun unreadable = test::runProgram(ZANDREL_EXECUTABLE, {"extract", study.dir.file("none.txt")});
    EXPECT_EQ(unreadable.status, 2);
}

}  // namespace
}  // namespace zandrel
