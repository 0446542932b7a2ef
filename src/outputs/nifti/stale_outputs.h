#pragma once

#include <string>
#include <vector>

namespace zandrel {

// The files a set's outputs consist of, as the sidecar lists them (key "output_files": the
// plain file names, in the sidecar's folder) and as they were listed by an earlier sidecar.

// The file names a previous sidecar at `sidecarPath` lists under "output_files" and
// "images" (sidecars from before the list had only the images); empty when there is none
// or it cannot be read as such. The file is untrusted: what it names is only a candidate
// for removeStaleOutputs, which checks every name.
std::vector<std::string> previousOutputFiles(const std::string& sidecarPath);

// Whether `name` can be a file of the outputs written for the stem named `stemName` (the
// stem's file name, without folder) and may therefore be removed when it is stale: a plain
// file name (no folder separator, no "..") that is the stem followed by ".nii.gz",
// "VOI<k>.nii.gz", ".tsv" or ".json". The .voi file is never removed here: it is the
// conversion's own result, and only a conversion replaces it.
bool isRemovableOutputName(const std::string& name, const std::string& stemName);

// Removes the files that `previous` lists and `current` does not, in the folder of
// `stemPath`, where isRemovableOutputName allows it; a file that cannot be removed stays.
void removeStaleOutputs(const std::string& stemPath, const std::vector<std::string>& previous,
                        const std::vector<std::string>& current);

}  // namespace zandrel
