// `zandrel export FILE.voi...`: NIfTI images, table and sidecar of existing .voi files.
#include "cli/export_command.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>

#include "cli/commands.h"
#include "io/file_error.h"
#include "cli/output_option.h"
#include "zandrel/outputs.h"

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

// The kind `export` writes: NIfTI images with their table and sidecar.
const OutputKind& exportedKind() {
    for (const OutputKind& kind : outputKinds()) {
        if (kind.option == "--nifti") return kind;
    }
    throw std::logic_error("no NIfTI output kind");
}

// Exports one file; false when it was refused.
bool exportOne(const OutputKind& kind, const std::string& path, const std::string& value, const std::string& outputDir) {
    try {
        const ExportedFiles files = kind.exportVoi(path, value, outputDir);
        for (const std::string& warning : files.warnings) std::cerr << "zandrel export: " << path << ": " << warning << "\n";
        for (const std::string& written : files.written) std::cout << "Wrote " << written << "\n";
        return true;
    } catch (const FileError& error) {
        std::cerr << "zandrel export: " << path << ": " << withReason(error.what(), error.reason())
                  << "; nothing written\n";
    } catch (const std::exception& error) {
        std::cerr << "zandrel export: " << path << ": " << error.what() << "; nothing written\n";
    }
    return false;
}

}  // namespace

Command addExportCommand(CLI::App& zandrel) {
    CLI::App* command = zandrel.add_subcommand("export", "write NIfTI images, a table and a sidecar of .voi files");
    auto arguments = std::make_shared<ExportArguments>();
    command->add_option("FILE", arguments->paths, "the .voi files to export")->required()->type_name("");
    const OutputKind& kind = exportedKind();
    addOutputOption(*command, kind, arguments->nifti, kind.exportHelp);
    command->add_option("--output-dir", arguments->outputDir, "write into DIR instead of beside each file")
        ->type_name("DIR")
        ->check(nonEmpty("a folder name"));
    command->footer(kFooter);
    return {command, [arguments] { return runExport(*arguments); }};
}

int runExport(const ExportArguments& arguments) {
    const OutputKind& kind = exportedKind();
    if (!kind.available()) return outputUnavailable("export", kind, kind.title);
    std::error_code error;
    if (!arguments.outputDir.empty() && !std::filesystem::is_directory(arguments.outputDir, error)) {
        std::cerr << "zandrel export: the output folder does not exist: " << arguments.outputDir << "\n";
        return kUsage;
    }
    bool allExported = true;
    for (const std::string& path : arguments.paths) {
        if (!exportOne(kind, path, arguments.nifti, arguments.outputDir)) allExported = false;
        std::cout.flush();
    }
    if (!std::cout) throw std::runtime_error("cannot write the output");
    return allExported ? kSuccess : kFailure;
}

}  // namespace zandrel::cli
