#pragma once

#include <string>

#include "batch/list_reader.h"
#include "batch/stop_request.h"

namespace zandrel {

// How a batch, or one set of it, is converted.
struct ConvertOptions {
    bool dryRun = false;          // check and describe sets, write nothing
    bool crlf = false;            // .voi files with CR LF line ends on every platform
    bool loadTimeCourse = false;  // load every time-course sample as well (benchmarks only:
                                  // no output depends on the samples)
    ListReading list;             // a prefix in place of line 1, backslashes as separators
    std::string outputDir;        // empty: every output beside its ROI file; else each set's
                                  // outputs under this folder, at the ROI's path below the
                                  // list's prefix (outputPathFor)
    const StopRequest* stop = nullptr;  // checked before each set; null: the batch always runs to its end
};

}  // namespace zandrel
