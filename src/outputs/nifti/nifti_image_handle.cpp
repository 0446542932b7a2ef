#include "outputs/nifti/nifti_image_handle.h"

#include <stdexcept>

namespace zandrel {

namespace {

std::runtime_error cannotCreate(const OutputFile& output) {
    return std::runtime_error("Cannot Create file: " + output.target());
}

}  // namespace

NiftiImagePtr newNiftiImage(OutputFile& output, const int dims[8], int datatype) {
    nifti_set_debug_level(0);  // failures reach the caller as our own error, not as library text
    NiftiImagePtr image(nifti_make_new_nim(dims, datatype, 0));
    if (!image) throw cannotCreate(output);
    output.handOver();
    if (nifti_set_filenames(image.get(), output.temporaryPath().c_str(), 0, 1) != 0) throw cannotCreate(output);
    image->nifti_type = NIFTI_FTYPE_NIFTI1_1;
    return image;
}

void writeNiftiImageFile(OutputFile& output, nifti_image& image, const std::string& mode) {
    // Header only, file left open: the data go through the call that reports its status.
    znzFile file = nifti_image_write_hdr_img2(&image, 2, mode.c_str(), nullptr, nullptr);
    if (znz_isnull(file)) throw cannotCreate(output);
    const int written = nifti_write_all_data(file, &image, nullptr);
    const int closed = znzclose(file);
    if (written < 0 || closed != 0) throw cannotCreate(output);
    output.finish();
}

}  // namespace zandrel
