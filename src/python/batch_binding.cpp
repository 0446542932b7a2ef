// A batch of a list file run as `zandrel convert` runs it, with its typed events handed to a
// Python callable as they happen and its log entries and counts returned.
#include <pybind11/stl.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "bindings.h"
#include "event_fields.h"
#include "zandrel/batch.h"
#include "zandrel/outputs.h"

namespace zandrel::python {

namespace {

// Thrown from the start of a set to leave the batch once Python code has raised (the
// callable, or a signal such as Ctrl-C); the batch run lets it out between two sets.
struct BatchAbandoned {};

// Collects the log entries and hands each event to `callback(kind, fields, entries)`. The
// batch runs without the interpreter's lock; each call into Python takes it. The first
// Python error is kept, no further call is made, and the batch is left at the next set.
class PythonObserver : public BatchObserver {
public:
    explicit PythonObserver(py::object callback) : callback_(std::move(callback)) {}

    void onEvent(const BatchEvent& event) override {
        std::vector<std::string> entries = wordEvent(event);
        for (const std::string& entry : entries) entries_.push_back(entry);
        if (callback_.is_none() || error_) return;
        py::gil_scoped_acquire acquired;
        std::pair<std::string, py::dict> fields = eventFields(event);
        call(fields.first, fields.second, entries);
    }

    void onSetStarted(int setNumber, const FileSet& set) override {
        py::gil_scoped_acquire acquired;
        if (!error_ && PyErr_CheckSignals() != 0) error_.emplace();
        if (error_) throw BatchAbandoned{};
        if (callback_.is_none()) return;
        py::dict fields;
        fields["set_number"] = setNumber;
        fields["set"] = setPaths(set);
        call("SetStarted", fields, {});
    }

    void onSetFinished(const FileSet& set, const SetResult& result) override {
        if (callback_.is_none() || error_) return;
        py::gil_scoped_acquire acquired;
        py::dict fields;
        fields["set_number"] = result.setNumber;
        fields["set"] = setPaths(set);
        fields["outcome"] = outcomeName(result.outcome);
        fields["output_path"] = result.outputPath;
        fields["message"] = result.message;
        call("SetFinished", fields, {});
    }

    const std::vector<std::string>& entries() const { return entries_; }
    // Raises the kept Python error, if any; call with the lock held.
    void raiseKeptError() {
        if (!error_) return;
        py::error_already_set error = std::move(*error_);
        error_.reset();
        throw error;
    }

private:
    void call(const std::string& kind, const py::dict& fields, const std::vector<std::string>& entries) {
        try {
            callback_(kind, fields, entries);
        } catch (py::error_already_set& error) {
            error_.emplace(std::move(error));
        }
    }

    py::object callback_;
    std::vector<std::string> entries_;
    std::optional<py::error_already_set> error_;
};

py::dict runConvert(const std::string& listPath, bool dryRun, bool crlf, const std::string& nifti,
                    const std::string& report, py::object onEvent) {
    const std::vector<OutputKind>& kinds = outputKinds();
    std::vector<std::string> values(kinds.size());
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        if (kinds[k].option == "--nifti") values[k] = nifti;
        if (kinds[k].option == "--report") values[k] = report;
        if (!values[k].empty() && !kinds[k].available()) throw std::runtime_error(kinds[k].unavailableText(kinds[k].title));
    }
    ConvertOptions options;
    options.dryRun = dryRun;
    options.crlf = crlf;

    PythonObserver observer(std::move(onEvent));
    ObserverFanOut observers;
    observers.add(observer);
    std::vector<std::unique_ptr<BatchOutput>> outputs;
    std::vector<std::string> titles;
    BatchSummary summary;
    std::vector<BatchOutput::Completion> completions;
    bool abandoned = false;
    {
        py::gil_scoped_release released;
        for (std::size_t k = 0; k < kinds.size(); ++k) {
            if (values[k].empty()) continue;
            BatchOutputStart start;
            start.value = values[k];
            start.listPath = listPath;
            start.dryRun = dryRun;
            start.log = &observers;
            outputs.push_back(kinds[k].startBatch(start));
            titles.push_back(kinds[k].title);
        }
        for (const std::unique_ptr<BatchOutput>& output : outputs) observers.add(output->observer());
        try {
            summary = runBatch(listPath, observers, options);
        } catch (const BatchAbandoned&) {
            abandoned = true;
        }
        for (const std::unique_ptr<BatchOutput>& output : outputs) completions.push_back(output->finish());
    }
    if (abandoned) observer.raiseKeptError();
    if (!summary.listReadable) {
        std::string text = kListUnreadableText;
        throw std::runtime_error(text.substr(text.find_first_not_of(' ')) + ": " + listPath);
    }
    py::dict result;
    result["sets_found"] = summary.setsFound;
    result["converted"] = summary.converted;
    result["reported"] = summary.reported;
    result["failed"] = summary.failed;
    result["entries"] = observer.entries();
    result["summary_line"] = batchSummaryText(summary, dryRun);
    py::list outputStates;
    for (std::size_t n = 0; n < completions.size(); ++n)
        outputStates.append(py::make_tuple(titles[n], completions[n].complete, completions[n].message));
    result["outputs"] = outputStates;
    observer.raiseKeptError();
    return result;
}

}  // namespace

void bindBatch(py::module_& m) {
    m.def("_convert", &runConvert, py::arg("list_path"), py::arg("dry_run"), py::arg("crlf"), py::arg("nifti"),
          py::arg("report"), py::arg("on_event"));
}

}  // namespace zandrel::python
