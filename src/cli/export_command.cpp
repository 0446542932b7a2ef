// `zandrel export FILE.voi...`: NIfTI images, table and sidecar of existing .voi files.
#include "cli/export_command.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/nifti_option.h"
#if ZANDREL_WITH_NIFTI
#include "outputs/nifti/voi_outputs.h"
#endif

namespace zandrel::cli {

namespace {

const char* const kFooter =
    "Each .voi file (of any producer) becomes the files `convert --nifti` writes for\n"
    "a set, named after it: <name>.nii.gz, or <name>VOI<k>.nii.gz per VOI with\n"
    "--nifti masks, plus <name>.tsv and <name>.json, beside the .voi or in DIR. Every\n"
    "file written is printed on a line of its own; the reader's warnings about a\n"
    "file cut short go to standard error. A file whose ReferenceSpace cannot be placed\n"
    "on a grid, or that cannot be read, is refused with one line on standard error,\n"
    "and nothing is written for it; the other files are still exported.\n"
    "\n"
    "Exit status:\n"
    "  0  every file was exported\n"
    "  1  at least one file was refused\n"
    "  2  usage error, or the output folder does not exist\n";

#if ZANDREL_WITH_NIFTI
// Exports one file; false when it was refused.
bool exportOne(const std::string& path, NiftiMode mode, const std::string& outputDir) {
    try {
        const NiftiOutputReport report = exportVoiFile(path, mode, outputDir);
        for (const std::string& warning : report.warnings) std::cerr << "zandrel export: " << path << ": " << warning << "\n";
        for (const std::string& written : report.written) std::cout << "Wrote " << written << "\n";
        return true;
    } catch (const std::exception& error) {
        std::cerr << "zandrel export: " << path << ": " << error.what() << "; nothing written\n";
    }
    return false;
}
#endif

}  // namespace

Command addExportCommand(CLI::App& zandrel) {
    CLI::App* command = zandrel.add_subcommand("export", "write NIfTI images, a table and a sidecar of .voi files");
    auto options = std::make_shared<ExportOptions>();
    command->add_option("FILE", options->paths, "the .voi files to export")->required()->type_name("");
    addNiftiOption(*command, options->nifti,
                   "one label image (labels, the default) or one\n"
                   "mask per VOI (masks)");
    command->add_option("--output-dir", options->outputDir, "write into DIR instead of beside each file")
        ->type_name("DIR")
        ->check(nonEmpty("a folder name"));
    command->footer(kFooter);
    return {command, [options] { return runExport(*options); }};
}

int runExport(const ExportOptions& options) {
#if ZANDREL_WITH_NIFTI
    std::error_code error;
    if (!options.outputDir.empty() && !std::filesystem::is_directory(options.outputDir, error)) {
        std::cerr << "zandrel export: the output folder does not exist: " << options.outputDir << "\n";
        return kUsage;
    }
    const NiftiMode mode = options.nifti == "masks" ? NiftiMode::Masks : NiftiMode::Labels;
    bool allExported = true;
    for (const std::string& path : options.paths) {
        if (!exportOne(path, mode, options.outputDir)) allExported = false;
        std::cout.flush();
    }
    if (!std::cout) throw std::runtime_error("cannot write the output");
    return allExported ? kSuccess : kFailure;
#else
    static_cast<void>(options);
    return niftiUnavailable("export", "NIfTI output");
#endif
}

}  // namespace zandrel::cli
