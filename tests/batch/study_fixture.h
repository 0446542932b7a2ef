#pragma once

// Generated studies and the .voi text a set must give, shared by the batch tests and the
// end-to-end tests of `zandrel convert`.
#include <cstdint>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "formats/fmr_header.h"
#include "formats/roi_file.h"
#include "formats/tal_record.h"
#include "formats/trf_record.h"
#include "generator/study_generator.h"
#include "voi/voi_builder.h"
#include "voi/voi_file.h"

namespace zandrel::test {

// The list lines of one generated subject, in the order the generator's lists use.
inline std::vector<std::string> setLines(const studygen::SubjectFiles& files) {
    std::vector<std::string> lines = {files.roi, files.fmr, files.ia, files.fa, files.acpc};
    if (!files.tal.empty()) lines.push_back(files.tal);
    return lines;
}

// A list file with an empty prefix (line 1) followed by `lines`, each ended by "\n".
inline std::string writeList(const std::string& path, const std::vector<std::string>& lines) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "\n";
    for (const std::string& line : lines) out << line << "\n";
    if (!out) throw std::runtime_error("cannot write " + path);
    return path;
}

// The output file a generated subject's set is written to.
inline std::string voiPathOf(const studygen::SubjectFiles& files) {
    const std::string stem = files.roi.substr(0, files.roi.rfind('.'));
    return stem + (files.tal.empty() ? "_ACPC_.voi" : "_TAL_.voi");
}

// The .voi text of a generated subject's set, built from its records by the reference
// scan (or the production scan) and written with LF line ends.
inline std::string expectedVoiText(const studygen::SubjectFiles& files, bool referenceScan) {
    const RoiFile roi = readRoiFile(files.roi);
    const FmrHeader fmr = readFmrHeader(files.fmr, true);
    const TrfRecord ia = readTrfFile(files.ia);
    const TrfRecord fa = readTrfFile(files.fa);
    const TrfRecord acpc = readTrfFile(files.acpc);
    const TalRecord tal = files.tal.empty() ? TalRecord() : readTalFile(files.tal);
    const VoiFile voiFile = referenceScan ? buildVoiFileReference(roi, fmr, ia, fa, acpc, tal)
                                          : buildVoiFile(roi, fmr, ia, fa, acpc, tal);
    std::ostringstream text;
    voiFile.write(text, true);
    return text.str();
}

// Replaces the first occurrence of `from` in a text file by `to`.
inline void editFile(const std::string& path, const std::string& from, const std::string& to) {
    std::string text;
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        text = content.str();
    }
    const std::string::size_type at = text.find(from);
    if (at == std::string::npos) throw std::runtime_error("'" + from + "' not in " + path);
    text.replace(at, from.size(), to);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

}  // namespace zandrel::test
