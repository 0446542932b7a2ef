// `zandrel inspect FILE [--type fmr|roi|trf|tal] [--data]`: one record as a JSON object.
// Reader errors are not caught here; they reach the command line's single catch site.
#include <algorithm>
#include <cctype>
#include <iostream>
#include <stdexcept>
#include <string>

#include "cli/commands.h"
#include "cli/inspect_records.h"
#include "cli/json/json_writer.h"

namespace zandrel::cli {

namespace {

const char* const kHelp =
    "Usage: zandrel inspect FILE [--type fmr|roi|trf|tal] [--data]\n"
    "\n"
    "Reads an .fmr, .roi, .trf or .tal file and prints its record as one JSON object:\n"
    "every keyed field under its record field name as {\"key\", \"value\", \"width\",\n"
    "\"present\"} (texts also \"quoted\"), the matrices as 16 numbers row by row, the\n"
    "landmarks, the plots with their voxels and the slice timing table.\n"
    "The type follows the file's extension in any case; --type overrides it.\n"
    "\n"
    "Options:\n"
    "  --type TYPE   read the file as fmr, roi, trf or tal\n"
    "  --data        (fmr only) also load the time-course data and add its grid sizes,\n"
    "                volume count and the min, max and mean of its finite samples\n"
    "  --help        show this text\n"
    "\n"
    "Floats are printed as the shortest text that reads back to the same float; values\n"
    "that are not finite as the strings \"NaN\", \"Infinity\" and \"-Infinity\".\n";

struct InspectRequest {
    std::string path;
    std::string type;
    bool withData = false;
};

bool isKnownType(const std::string& type) {
    return type == "fmr" || type == "roi" || type == "trf" || type == "tal";
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

int usageError(const std::string& problem) {
    std::cerr << "zandrel: " << problem << "; try 'zandrel help inspect'\n";
    return kUsage;
}

// Fills `request` from the words after "inspect"; returns an exit status when the
// command should stop (help shown or a usage error), -1 to go on.
int parseArguments(const std::vector<std::string>& args, InspectRequest& request) {
    std::string typeOption;
    bool typeGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--help" || word == "-h") {
            std::cout << kHelp;
            return kSuccess;
        }
        if (word == "--data") {
            request.withData = true;
        } else if (word == "--type") {
            if (i + 1 == args.size()) return usageError("--type needs one of fmr, roi, trf, tal");
            typeOption = args[++i];
            typeGiven = true;
        } else if (word.rfind("--type=", 0) == 0) {
            typeOption = word.substr(7);
            typeGiven = true;
        } else if (word.size() > 1 && word[0] == '-') {
            return usageError("unknown option '" + word + "'");
        } else if (!request.path.empty()) {
            return usageError("more than one file: '" + request.path + "' and '" + word + "'");
        } else {
            request.path = word;
        }
    }
    if (request.path.empty()) return usageError("inspect needs a file");
    if (typeGiven) {
        if (!isKnownType(typeOption)) return usageError("unknown type '" + typeOption + "'");
        request.type = typeOption;
    } else {
        request.type = extensionOf(request.path);
        if (!isKnownType(request.type)) {
            return usageError("cannot tell the type of '" + request.path + "' from its extension; use --type");
        }
    }
    if (request.withData && request.type != "fmr") return usageError("--data applies to fmr files only");
    return -1;
}

void beginRecord(JsonWriter& json, const InspectRequest& request) {
    json.beginObject();
    json.key("type").string(request.type);
    json.key("path").string(request.path);
}

// Reads the whole record before the first character is printed, so that a reader error
// never leaves half a JSON object on standard output.
void printRecord(const InspectRequest& request, std::ostream& out) {
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
    } else {
        const TalRecord tal = readTalFile(request.path);
        beginRecord(json, request);
        writeTalMembers(json, tal);
    }
    json.endObject();
}

}  // namespace

const char* inspectHelp() { return kHelp; }

int runInspect(const std::vector<std::string>& args) {
    InspectRequest request;
    const int stop = parseArguments(args, request);
    if (stop >= 0) return stop;
    printRecord(request, std::cout);
    std::cout.flush();
    if (!std::cout) throw std::runtime_error("cannot write the output");
    return kSuccess;
}

}  // namespace zandrel::cli
