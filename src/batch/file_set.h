#pragma once

#include <string>

namespace zandrel {

// The six file paths of one data set, each the list's path prefix followed by the
// list line that named the file; empty when the set names no file of that kind.
struct FileSet {
    std::string roiPath;
    std::string fmrPath;
    std::string iaTrfPath;
    std::string faTrfPath;
    std::string acpcTrfPath;
    std::string talPath;
    // The prefix the list reader put in front of every name (line 1, or the prefix that
    // replaces it); empty for a set made by hand. An output folder keeps the ROI's path
    // below it.
    std::string listPrefix = {};
};

// The files of a set, in the order they are checked and reported.
enum class SetFile { roi, fmr, ia, fa, acpc, tal };

inline constexpr SetFile kSetFiles[] = {SetFile::roi, SetFile::fmr,  SetFile::ia,
                                        SetFile::fa,  SetFile::acpc, SetFile::tal};

inline const std::string& pathOf(const FileSet& set, SetFile file) {
    switch (file) {
        case SetFile::roi: return set.roiPath;
        case SetFile::fmr: return set.fmrPath;
        case SetFile::ia: return set.iaTrfPath;
        case SetFile::fa: return set.faTrfPath;
        case SetFile::acpc: return set.acpcTrfPath;
        case SetFile::tal: break;
    }
    return set.talPath;
}

}  // namespace zandrel
