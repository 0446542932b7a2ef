#pragma once

#include <string>


namespace zandrel {

// The files of one run set: a .voi file and the run it is placed on. Each path is the list's
// path prefix followed by the list line that named the file; empty when the set names no file
// of that kind (the TAL file only for Talairach VOIs).
struct RunSet {
    std::string voiPath;
    std::string fmrPath;
    std::string iaTrfPath;
    std::string faTrfPath;
    std::string acpcTrfPath;
    std::string talPath;
};

// The files of a run set, in the order they are checked and reported.
enum class RunFile { voi, fmr, ia, fa, acpc, tal };

inline constexpr RunFile kRunFiles[] = {RunFile::voi, RunFile::fmr,  RunFile::ia,
                                        RunFile::fa,  RunFile::acpc, RunFile::tal};

inline const std::string& pathOf(const RunSet& set, RunFile file) {
    switch (file) {
        case RunFile::voi: return set.voiPath;
        case RunFile::fmr: return set.fmrPath;
        case RunFile::ia: return set.iaTrfPath;
        case RunFile::fa: return set.faTrfPath;
        case RunFile::acpc: return set.acpcTrfPath;
        case RunFile::tal: break;
    }
    return set.talPath;
}

}  // namespace zandrel
