#pragma once

#include <exception>
#include <new>
#include <string>

#include "batch/log_wording.h"
#include "batch/set_outcome.h"

namespace zandrel {

// The one way the errors of a set are contained: runs `work` (which returns the set's
// outcome) and turns any error it raises, lack of memory included, into a failed outcome
// with the error's text in `message`. Every record of the set has been released when a
// handler runs, so the batch goes on with the next set.
template <typename Work>
SetOutcome containSetErrors(Work&& work, std::string& message) noexcept {
    try {
        return work();
    } catch (const std::bad_alloc&) {
        message = kOutOfMemoryError;
    } catch (const std::exception& error) {
        message = error.what();
    } catch (...) {
        message = kUnexpectedError;
    }
    return SetOutcome::failed;
}

}  // namespace zandrel
