#pragma once

// The registry of output kinds: what a conversion or an export can write besides the .voi
// files (NIfTI images with their table and sidecar, the quality-control report). A kind is
// declared once here, with its option, its availability in this build, what it does for a
// batch and what it writes for an existing .voi; the commands take their outputs from it.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "batch/batch_observer.h"
#include "outputs/set_output_files.h"

namespace zandrel {

// One output kind's part in a batch: an observer that follows the batch, completed after
// the last set.
class BatchOutput {
public:
    struct Completion {
        bool complete = true;  // false: the output is missing or incomplete for some set
        std::string message;   // why, for the user; empty when the log already says it
    };
    virtual ~BatchOutput() = default;
    virtual BatchObserver& observer() = 0;
    virtual Completion finish() = 0;
};

// What a kind is given when a batch starts.
struct BatchOutputStart {
    std::string value;             // the option's value
    std::string listPath;
    bool dryRun = false;
    BatchObserver* log = nullptr;  // where the kind logs entries of its own: every observer receives them
    SetOutputFiles* setFiles = nullptr;  // shared by the batch's outputs: what each wrote for a set
};

// The files written for one existing .voi, and the reader's warnings about it.
struct ExportedFiles {
    std::vector<std::string> written;
    std::vector<std::string> warnings;
};

struct OutputKind {
    std::string option;                // "--nifti"
    std::string title;                 // "NIfTI output": names the kind in messages
    std::string valueName;             // "MODE", "DIR"
    std::vector<std::string> values;   // the values allowed; empty: any non-empty text, which is
    std::string valueNeeds;            // what the usage error says a value needs ("a folder name")
    std::string implicitValue;         // the value of the option given without one; empty: a value is required
    std::string convertHelp;           // the option's help for `convert`
    std::string exportHelp;            // the option's help for `export`; empty: not an export output
    std::string missingLibrary;        // empty when built in; else what the build lacks ("the NIfTI C library")
    // Starts the kind for a batch; throws std::runtime_error when it cannot (a refused
    // report folder), before anything is converted.
    std::function<std::unique_ptr<BatchOutput>(const BatchOutputStart&)> startBatch;
    // Writes the kind's files of an existing .voi under `outputDir` (empty: beside it);
    // throws std::runtime_error when the file is refused, having written nothing.
    std::function<ExportedFiles(const std::string& voiPath, const std::string& value, const std::string& outputDir)>
        exportVoi;

    // Where a batch's files of this kind went, for the command line's summary: "NIfTI files
    // beside the .voi files", "report in DIR/index.html".
    std::function<std::string(const std::string& value)> whereWritten;

    bool available() const { return missingLibrary.empty(); }
    // "<title or option> is not available in this build (built without <library>)"
    std::string unavailableText(const std::string& what) const;
};

// Every output kind, in the order their observers follow a batch.
const std::vector<OutputKind>& outputKinds();

}  // namespace zandrel
