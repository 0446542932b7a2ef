// `zandrel inspect FILE [--type fmr|roi|trf|tal|voi] [--data] [--voxels]`: one record as a JSON object.
// Reader errors are not caught here; they reach the command line's single catch site.
#include "cli/inspect_command.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

#include "cli/commands.h"
#include "io/json_writer.h"
#include "outputs/inspect/record_json.h"
#include "zandrel/records.h"

namespace zandrel::cli {

namespace {

const char* const kFooter =
    "Every keyed field is printed under its record field name as {\"key\", \"value\",\n"
    "\"width\", \"present\"} (texts also \"quoted\"), the matrices as 16 numbers row by\n"
    "row, the landmarks, the plots with their voxels and the slice timing table. A\n"
    ".voi file (of any producer) gives its header, the reader's warnings and per VOI\n"
    "its name, colour, counts, the bounding box of its triples and, when its space\n"
    "can be placed, its figures (volume, centroid); --voxels adds the voxel lists. The\n"
    "type follows the file's extension in any case; --type overrides it.\n"
    "\n"
    "Floats are printed as the shortest text that reads back to the same float; values\n"
    "that are not finite as the strings \"NaN\", \"Infinity\" and \"-Infinity\".\n"
    "\n"
    "Exit status:\n"
    "  0  the record was printed\n"
    "  1  the file (or, with --data, its time-course data) cannot be read\n"
    "  2  usage error, or the type cannot be told from the extension\n";

bool isKnownType(const std::string& type) {
    return type == "fmr" || type == "roi" || type == "trf" || type == "tal" || type == "voi";
}

// The extension of the file name, lower case; empty when it has none.
std::string extensionOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

// The options with the type told from the extension when not given.
InspectOptions resolve(const InspectOptions& options) {
    InspectOptions request = options;
    if (request.type.empty()) request.type = extensionOf(options.path);
    if (!isKnownType(request.type)) {
        throw UsageError("cannot tell the type of '" + options.path + "' from its extension; use --type");
    }
    if (request.withData && request.type != "fmr") throw UsageError("--data applies to fmr files only");
    if (request.withVoxels && request.type != "voi") throw UsageError("--voxels applies to voi files only");
    return request;
}

void beginRecord(JsonWriter& json, const InspectOptions& request) {
    json.beginObject();
    json.key("type").string(request.type);
    json.key("path").string(request.path);
}

// Reads the whole record before the first character is printed, so that a reader error
// never leaves half a JSON object on standard output.
void printRecord(const InspectOptions& request, std::ostream& out) {
    JsonWriter json(out);
    if (request.type == "fmr") {
        const FmrHeader header = readFmrHeader(request.path, request.withData);
        beginRecord(json, request);
        writeFmrMembers(json, header, request.withData);
    } else if (request.type == "roi") {
        const RoiFile roi = readRoiFile(request.path);
        beginRecord(json, request);
        writeRoiMembers(json, roi);
    } else if (request.type == "trf") {
        const TrfRecord trf = readTrfFile(request.path);
        beginRecord(json, request);
        writeTrfMembers(json, trf);
    } else if (request.type == "voi") {
        const VoiFileReading reading = readVoiFile(request.path);
        beginRecord(json, request);
        writeVoiMembers(json, reading, request.withVoxels);
    } else {
        const TalRecord tal = readTalFile(request.path);
        beginRecord(json, request);
        writeTalMembers(json, tal);
    }
    json.endObject();
}

}  // namespace

Command addInspectCommand(CLI::App& zandrel) {
    CLI::App* command = zandrel.add_subcommand("inspect", "print an .fmr, .roi, .trf, .tal or .voi file as JSON");
    auto options = std::make_shared<InspectOptions>();
    command->add_option("FILE", options->path, "the file to read")->required()->type_name("");
    command->add_option("--type", options->type, "read the file as fmr, roi, trf, tal or voi")
        ->type_name("TYPE")
        ->check(CLI::IsMember({"fmr", "roi", "trf", "tal", "voi"}));
    command->add_flag("--data", options->withData,
                      "(fmr only) also load the time-course data and add\n"
                      "its grid sizes, volume count and the min, max and\n"
                      "mean of its finite samples");
    command->add_flag("--voxels", options->withVoxels, "(voi only) also print every VOI's voxel list");
    command->footer(kFooter);
    return {command, [options] { return runInspect(*options); }};
}

int runInspect(const InspectOptions& options) {
    const InspectOptions request = resolve(options);
    printRecord(request, std::cout);
    std::cout.flush();
    if (!std::cout) throw std::runtime_error("cannot write the output");
    return kSuccess;
}

}  // namespace zandrel::cli
