#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "batch/batch_observer.h"
#include "outputs/set_output_files.h"
#include "outputs/report/report_builder.h"
#include "outputs/report/report_writer.h"

namespace zandrel::report {

// Follows a batch run for `zandrel convert --report DIR`: sorts the events, worded as the
// log shows them, into sets, has each converted set's figures drawn beside the batch as the
// set ends (from a copy of the records, chain and saved file the batch hands over, released
// once drawn) and keeps only the page's text per set. finish() waits for the figures and writes index.html.
//
// A report that cannot be written never stops the batch: the first such failure is kept,
// later sets get no pictures, and finish() returns it.
class ReportObserver : public BatchObserver {
public:
    // Prepares the report folder; throws std::runtime_error when it is refused. Each set's
    // section links the files the batch's other outputs wrote for it, taken from `setFiles`
    // when given.
    ReportObserver(const std::string& dir, std::string listPath, std::string programVersion, bool dryRun,
                   ReportOptions options = {}, SetOutputFiles* setFiles = nullptr);

    void onEvent(const BatchEvent& event) override;
    void onSetStarted(int setNumber, const FileSet& set) override;
    void onSetFinished(const FileSet& set, const SetResult& result) override;

    // Writes index.html. Returns why the report is incomplete, or the empty text.
    std::string finish();

    const ReportModel& model() const { return builder_.model(); }

private:
    void addConverted(int setNumber, const ConvertedSet& set);

    ReportBuilder builder_;
    ReportWriter writer_;
    SetOutputFiles* setFiles_;
    std::string failure_;
    std::vector<std::pair<std::size_t, std::size_t>> drawn_;  // (set index, index in the model) of sets handed to the writer
};

}  // namespace zandrel::report
