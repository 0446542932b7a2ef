#pragma once

#include <vector>

#include "batch/batch_observer.h"

namespace zandrel {

// Hands every event of a batch run to several observers, in the order they were added: the
// console and transcript first, then the features that write more per set (NIfTI files,
// the report). An observer that reports an event of its own does so through the fan-out, so
// that every observer, the transcript included, receives it.
class ObserverFanOut : public BatchObserver {
public:
    void add(BatchObserver& observer) { observers_.push_back(&observer); }

    void onEvent(const BatchEvent& event) override {
        for (BatchObserver* observer : observers_) observer->onEvent(event);
    }
    void onSetStarted(int setNumber, const FileSet& set) override {
        for (BatchObserver* observer : observers_) observer->onSetStarted(setNumber, set);
    }
    void onSetFinished(const FileSet& set, const SetResult& result) override {
        for (BatchObserver* observer : observers_) observer->onSetFinished(set, result);
    }

private:
    std::vector<BatchObserver*> observers_;
};

}  // namespace zandrel
