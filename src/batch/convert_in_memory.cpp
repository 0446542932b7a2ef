#include "batch/convert_in_memory.h"

#include <stdexcept>
#include <string>
#include <utility>

#include "batch/log_wording.h"
#include "batch/set_check.h"
#include "batch/set_reader.h"
#include "chain/set_chain.h"
#include "voi/voi_builder.h"

namespace zandrel {

namespace {

// Gathers the report of a set whose files cannot all be opened, one line per entry.
class ReportText : public LogEntryObserver {
public:
    void onEntry(const std::string& entry) override {
        if (!text.empty()) text += '\n';
        text += entry;
    }
    std::string text;
};

}  // namespace

ConvertedSet convertInMemory(SetRecords records, const ConvertOptions& options) {
    ConvertedSet converted;
    converted.records = std::move(records);
    converted.chain = computeSetChain(converted.records);
    requireUsable(converted.chain);
    converted.voiFile = buildVoiFile(converted.records.roi, converted.records.fmr, converted.chain, &converted.build);
    converted.voiFile.crlf = options.crlf;
    return converted;
}

ConvertedSet convertInMemory(const FileSet& set, const ConvertOptions& options) {
    ReportText report;
    if (!checkFileSet(set, report)) throw std::runtime_error(report.text);
    ConvertedSet converted = convertInMemory(readSetRecords(set, options.loadTimeCourse), options);
    converted.voiFile.fileName = outputPathFor(set);
    return converted;
}

}  // namespace zandrel
