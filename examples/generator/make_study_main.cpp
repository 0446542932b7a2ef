// zandrel_make_study OUTDIR [--subjects N] [--seed S] [--example] [--small]
// Writes a study of our own making into OUTDIR and prints the path of its list file.
#include <cstdint>
#include <exception>
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "generator/study_generator.h"

namespace {

const char* const kFooter =
    "Prints the path of the study's list file.\n"
    "\n"
    "Exit status:\n"
    "  0  the study was written\n"
    "  1  a file of the study cannot be written\n"
    "  2  usage error\n";

struct MakeStudyOptions {
    std::string outDir;
    int subjects = 2;
    std::uint64_t seed = 1;
    bool example = false;
    bool small = false;
};

int makeStudy(const MakeStudyOptions& options) {
    const zandrel::studygen::StudyPlan plan =
        options.example ? zandrel::studygen::exampleStudyPlan()
        : options.small ? zandrel::studygen::testStudyPlan(options.subjects, options.seed)
                        : zandrel::studygen::realisticStudyPlan(options.subjects, options.seed);
    const zandrel::studygen::GeneratedStudy study = zandrel::studygen::writeStudy(options.outDir, plan);
    std::cout << study.listPath << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        CLI::App app("Writes a study of our own making: ROI, FMR (with time-course data), IA, FA,\n"
                     "ACPC and TAL files per subject, and the list file that names them.",
                     "zandrel_make_study");
        app.set_help_flag("-h,--help", "show this text");
        app.footer(kFooter);
        MakeStudyOptions options;
        app.add_option("OUTDIR", options.outDir, "the folder to write the study into")->required()->type_name("");
        app.add_option("--subjects", options.subjects, "number of subjects (default 2)")
            ->type_name("N")
            ->check(CLI::Range(1, 100));
        // Checked as at most 19 digits before conversion, which would wrap "-1" and clamp
        // values beyond 64 bits.
        app.add_option("--seed", options.seed, "seed of the study (unsigned integer, default 1)")
            ->type_name("S")
            ->check(CLI::Validator(
                [](const std::string& text) {
                    const bool digits = !text.empty() && text.size() <= 19 &&
                                        text.find_first_not_of("0123456789") == std::string::npos;
                    return digits ? std::string() : "not an unsigned integer: " + text;
                },
                "", "digits"));
        app.add_flag("--example", options.example, "the bundled example study (ignores --subjects,\n--seed and --small)");
        app.add_flag("--small", options.small, "small, fast subjects (32 x 32 slices) as the\ntests use them");
        try {
            app.parse(argc, argv);
        } catch (const CLI::ParseError& error) {
            if (error.get_exit_code() == 0) return app.exit(error);
            std::cerr << "zandrel_make_study: " << error.what() << "; try 'zandrel_make_study --help'\n";
            return 2;
        }
        return makeStudy(options);
    } catch (const std::exception& error) {
        std::cerr << "zandrel_make_study: " << error.what() << "\n";
        return 1;
    } catch (...) {
        std::cerr << "zandrel_make_study: unknown error\n";
        return 1;
    }
}
