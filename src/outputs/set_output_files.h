#pragma once

// The files each output of a batch wrote for a set besides its .voi (the NIfTI images, their
// table and sidecar), as that output reports them once written. An output that follows the
// batch later (the report, which links them) reads them when the same set ends: the batch's
// outputs see each set's end in their fixed order (outputKinds()).

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace zandrel {

class SetOutputFiles {
public:
    void add(int setNumber, const std::vector<std::string>& paths) {
        std::vector<std::string>& files = files_[setNumber];
        files.insert(files.end(), paths.begin(), paths.end());
    }
    // The files written for set `setNumber` (from 1), in the order they were added; they are
    // forgotten here, so a long batch keeps only the sets not taken yet.
    std::vector<std::string> take(int setNumber) {
        const auto found = files_.find(setNumber);
        if (found == files_.end()) return {};
        std::vector<std::string> files = std::move(found->second);
        files_.erase(found);
        return files;
    }

private:
    std::map<int, std::vector<std::string>> files_;
};

}  // namespace zandrel
