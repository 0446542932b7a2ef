// `zandrel project LIST [options]`: VOIs placed back on functional runs, set by set.
#include "cli/project_command.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>

#include "cli/commands.h"
#include "cli/run_list_command.h"
#include "outputs/run_files.h"

namespace zandrel::cli {

namespace {

const char* const kFooter =
    "Line 1 of the list is a path prefix put in front of every name as written. Each\n"
    "later line ending in \"voi\" starts a set; the lines after it name the run's .fmr,\n"
    "IA.trf, FA.trf, ACPC.trf and (for Talairach VOIs) .tal files, in any order. One\n"
    "VOI file may start many sets, one per run. Each set writes, beside the FMR file\n"
    "or in DIR, <fmr stem>_<voi stem>.roi (one plot per VOI, its selected voxels) and\n"
    "<fmr stem>_<voi stem>_coverage.tsv; with --nifti also _occupancy.nii.gz (one\n"
    "float volume per VOI) and its _occupancy.json sidecar.\n"
    "\n"
    "Every anatomical grid point lands in at most one functional voxel c, exactly as\n"
    "the conversion maps it. N(c) counts all grid points that land in c, K(c) those\n"
    "of the VOI; the occupancy K(c)/N(c) is the share of c that the VOI fills. A voxel\n"
    "is selected when K(c) > 0 and the occupancy is at least T. Coverage: voi_voxels\n"
    "(distinct grid points), in_run (those that land in the run), coverage\n"
    "(in_run/voi_voxels), touched (voxels with K > 0), selected, occupancy_mean (over\n"
    "the selected voxels); \"n/a\" where there is none.\n"
    "\n"
    "Each log entry is printed to standard output on a line of its own: \"Projected\n"
    "VOI onto FMR\" per set, and an entry for each VOI that selects no voxel. A set\n"
    "whose files cannot be opened is reported; a VOI file that does not fit the run\n"
    "(another space) or an error is logged as \"!!!! Could not project VOI onto FMR:\n"
    "message\" and nothing is written for that set. The batch goes on either way.\n"
    "When standard error is a terminal it shows the progress. Ctrl-C stops the batch\n"
    "after the set being written (a second Ctrl-C at once).\n"
    "\n"
    "Exit status:\n"
    "  0  every set was projected (with --dry-run: would be projected)\n"
    "  1  at least one set was reported or failed, the list names no VOI file, or\n"
    "     the transcript could not be written completely\n"
    "  2  usage error, or the list file cannot be read\n"
    "  130  interrupted (Ctrl-C, SIGINT, SIGTERM) before every set was run\n";


}  // namespace

Command addProjectCommand(CLI::App& zandrel) {
    CLI::App* command = zandrel.add_subcommand("project", "place VOIs back on functional runs");
    auto arguments = std::make_shared<ProjectArguments>();
    command->add_option("LIST", arguments->listPath, "the run list: VOI files and their runs")
        ->required()
        ->type_name("");
    command->add_option("--min-occupancy", arguments->projection.minOccupancy,
                        "select a functional voxel when the VOI fills at\n"
                        "least this share of it (0 to 1; default 0.5)")
        ->type_name("T")
        ->check(occupancyThreshold());
    command->add_flag("--nifti", arguments->nifti,
                      "also write the occupancy image (.nii.gz) and its\n"
                      "JSON sidecar per set");
    command->add_option("--output-dir", arguments->projection.outputDir,
                        "write the files to DIR instead of beside each\n"
                        "FMR file")
        ->type_name("DIR")
        ->check(nonEmpty("a folder name"));
    addTranscriptOption(*command, arguments->transcriptPath);
    command->add_flag("--dry-run", arguments->projection.dryRun,
                      "check every set's files, records and spaces and\n"
                      "print what each set would write; writes nothing");
    command->footer(kFooter);
    return {command, [arguments] { return runProject(*arguments); }};
}

int runProject(const ProjectArguments& arguments) {
    if (arguments.nifti && !occupancyImagesAvailable()) {
        std::cerr << "zandrel project: --nifti is not available in this build (built without "
                  << kOccupancyImagesLibrary << ")\n";
        return kUsage;
    }
    const std::string& outputDir = arguments.projection.outputDir;
    if (!outputDir.empty() && !arguments.projection.dryRun) {
        std::error_code error;
        if (!std::filesystem::is_directory(outputDir, error)) {
            std::cerr << "zandrel project: the output folder does not exist: " << outputDir << "\n";
            return kUsage;
        }
    }
    const bool nifti = arguments.nifti;
    return runOnRunList({"project", arguments.listPath, arguments.transcriptPath},
                        [&](BatchObserver& observer, const StopRequest& stop) {
        ProjectOptions projection = arguments.projection;
        projection.stop = &stop;
        return runProjection(arguments.listPath, observer, projection,
                             [nifti](const ProjectedRun& run, const ProjectOptions& options) {
                                 writeProjectedRun(run, options, nifti);
                             });
    });
}

}  // namespace zandrel::cli
