#pragma once

// What every NIfTI image the project writes shares: a new image of the NIfTI C library
// bound to an output file's temporary path, and the writing of its header and data with
// the library's status checked. Included only by the NIfTI writers.

#include <nifti1_io.h>

#include <memory>
#include <string>

#include "io/output_file.h"

namespace zandrel {

struct NiftiImageDeleter {
    void operator()(nifti_image* image) const {
        image->data = nullptr;  // the values belong to the caller
        nifti_image_free(image);
    }
};
using NiftiImagePtr = std::unique_ptr<nifti_image, NiftiImageDeleter>;

// A new single-file NIfTI-1 image of `dims` (dims[0] the dimension count) and `datatype`,
// to be written to the temporary file of `output`, which hands its handle over. Throws
// "Cannot Create file: " + the target when the library refuses.
NiftiImagePtr newNiftiImage(OutputFile& output, const int dims[8], int datatype);

// Writes the header and the data of `image` (its data pointing at the caller's values)
// with the zlib `mode` ("wb6", "wb6R") and flushes the file to the disk; the caller
// commits. Throws "Cannot Create file: " + the target when anything fails.
void writeNiftiImageFile(OutputFile& output, nifti_image& image, const std::string& mode);

}  // namespace zandrel
