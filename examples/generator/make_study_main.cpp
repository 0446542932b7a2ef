// zandrel_make_study OUTDIR [--subjects N] [--seed S] [--example] [--small]
// Writes a study of our own making into OUTDIR and prints the path of its list file.
#include <cstdint>
#include <exception>
#include <iostream>
#include <string>

#include "generator/study_generator.h"

namespace {

const char* const kUsage =
    "usage: zandrel_make_study OUTDIR [--subjects N] [--seed S] [--example] [--small]\n"
    "  --subjects N  number of subjects (1..100, default 2)\n"
    "  --seed S      seed of the study (unsigned integer, default 1)\n"
    "  --example     the bundled example study (ignores --subjects, --seed and --small)\n"
    "  --small       small, fast subjects (32 x 32 slices) as the tests use them\n";

bool parseUnsigned(const std::string& text, std::uint64_t& value) {
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::stoull(text);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        std::string outDir;
        std::uint64_t subjects = 2, seed = 1;
        bool example = false, small = false;
        for (int i = 1; i < argc; ++i) {
            const std::string argument = argv[i];
            const bool hasValue = i + 1 < argc;
            if (argument == "--example") {
                example = true;
            } else if (argument == "--small") {
                small = true;
            } else if (argument == "--subjects" && hasValue && parseUnsigned(argv[i + 1], subjects) &&
                       subjects >= 1 && subjects <= 100) {
                ++i;
            } else if (argument == "--seed" && hasValue && parseUnsigned(argv[i + 1], seed)) {
                ++i;
            } else if (outDir.empty() && !argument.empty() && argument[0] != '-') {
                outDir = argument;
            } else {
                std::cerr << "zandrel_make_study: unexpected argument '" << argument << "'\n" << kUsage;
                return 2;
            }
        }
        if (outDir.empty()) {
            std::cerr << kUsage;
            return 2;
        }
        const int count = static_cast<int>(subjects);
        const zandrel::studygen::StudySpec plan =
            example ? zandrel::studygen::exampleStudySpec()
                    : small ? zandrel::studygen::testStudySpec(count, seed)
                            : zandrel::studygen::realisticStudySpec(count, seed);
        const zandrel::studygen::GeneratedStudy study = zandrel::studygen::writeStudy(outDir, plan);
        std::cout << study.listPath << "\n";
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "zandrel_make_study: " << error.what() << "\n";
        return 1;
    } catch (...) {
        std::cerr << "zandrel_make_study: unknown error\n";
        return 1;
    }
}
