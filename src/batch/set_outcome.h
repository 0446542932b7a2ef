#pragma once

namespace zandrel {

// What became of one set.
enum class SetOutcome {
    converted,  // the .voi file was written (or, in a dry run, would be)
    reported,   // files of the set cannot be opened; the report was logged
    failed,     // an error while reading, building or saving; logged as one entry
};

// The outcomes of the sets of one batch, counted.
struct BatchSummary {
    int setsFound = 0;   // sets formed from the list
    int converted = 0;   // .voi file written (in a dry run: every file and record checks out)
    int reported = 0;    // files of the set cannot be opened; the report was logged
    int failed = 0;      // an error while reading, building or saving; logged as one entry
    bool listReadable = true;
    bool interrupted = false;  // a stop request ended the batch before all its sets ran
    int setsInList = 0;        // when interrupted: the sets the whole list forms (0: unknown)

    // Counts one more set with its outcome.
    void add(SetOutcome outcome) {
        ++setsFound;
        switch (outcome) {
            case SetOutcome::converted: ++converted; break;
            case SetOutcome::reported: ++reported; break;
            case SetOutcome::failed: ++failed; break;
        }
    }
};

}  // namespace zandrel
