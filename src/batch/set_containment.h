#pragma once

#include <exception>
#include <new>
#include <string>

#include "batch/log_wording.h"
#include "io/file_error.h"
#include "batch/set_outcome.h"

namespace zandrel {

// The one way the errors of a set are contained: runs `work` (which returns the set's
// outcome) and turns any error it raises, lack of memory included, into a failed outcome
// with the error's text in `message` and, for a file that could not be created or written,
// the system's reason in `reason` (when given; see FileError). Every record of the set has been released when a
// handler runs, so the batch goes on with the next set.
template <typename Work>
SetOutcome containSetErrors(Work&& work, std::string& message, std::string* reason = nullptr) noexcept {
    try {
        return work();
    } catch (const std::bad_alloc&) {
        message = kOutOfMemoryError;
    } catch (const FileError& error) {
        message = error.what();
        try {
            if (reason != nullptr) *reason = error.reason();
        } catch (...) {
            // Without memory for the reason the described text still stands.
        }
    } catch (const std::exception& error) {
        message = error.what();
    } catch (...) {
        message = kUnexpectedError;
    }
    return SetOutcome::failed;
}

}  // namespace zandrel
