// Fills a NIfTI-1 header for a VOI grid and has the NIfTI C library write it.
#include "outputs/nifti/nifti_image_file.h"

#include <nifti1_io.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "outputs/nifti/nifti_image_handle.h"

namespace zandrel {

namespace {

void writeImage(OutputFile& output, const VoiPlacement& placement, const void* voxels, std::size_t count,
                int datatype, bool label, int gzipLevel) {
    if (count != placement.cellCount() || gzipLevel < 1 || gzipLevel > 9) {
        throw std::invalid_argument("writeNiftiImage: voxel count or gzip level out of range");
    }
    const int dims[8] = {3, placement.dim, placement.dim, placement.dim, 1, 1, 1, 1};
    const NiftiImagePtr image = newNiftiImage(output, dims, datatype);
    nifti_image& nim = *image;

    const float size[3] = {static_cast<float>(placement.voxelSize[0]), static_cast<float>(placement.voxelSize[1]),
                           static_cast<float>(placement.voxelSize[2])};
    nim.dx = nim.pixdim[1] = size[0];
    nim.dy = nim.pixdim[2] = size[1];
    nim.dz = nim.pixdim[3] = size[2];
    nim.xyz_units = NIFTI_UNITS_MM;
    nim.scl_slope = 0.0f;  // no scaling: the stored integers are the values
    nim.scl_inter = 0.0f;
    if (label) nim.intent_code = NIFTI_INTENT_LABEL;

    const int code = niftiXformCode(placement.space);
    const NiftiQuaternion q = niftiQuaternion(placement);
    nim.qform_code = code;
    nim.quatern_b = q.b;
    nim.quatern_c = q.c;
    nim.quatern_d = q.d;
    nim.qfac = q.qfac;
    nim.qoffset_x = q.offsetX;
    nim.qoffset_y = q.offsetY;
    nim.qoffset_z = q.offsetZ;
    nim.qto_xyz = nifti_quatern_to_mat44(q.b, q.c, q.d, q.offsetX, q.offsetY, q.offsetZ, size[0], size[1],
                                         size[2], q.qfac);
    nim.sform_code = code;
    const std::array<std::int32_t, 12> m = placement.gridToWorld();
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) nim.sto_xyz.m[r][c] = static_cast<float>(m[static_cast<std::size_t>(4 * r + c)]);
    }
    nim.sto_xyz.m[3][0] = nim.sto_xyz.m[3][1] = nim.sto_xyz.m[3][2] = 0.0f;
    nim.sto_xyz.m[3][3] = 1.0f;
    std::strncpy(nim.descrip, label ? "VOI labels" : "VOI mask", sizeof nim.descrip - 1);

    nim.data = const_cast<void*>(voxels);
    // zlib's run-length strategy ("R"): a label image or mask is long runs of one value, and
    // matching runs only packs it as small as the default strategy does at this level
    // (18 KB per realistic set) in about half the time.
    writeNiftiImageFile(output, nim, "wb" + std::to_string(gzipLevel) + "R");
}

}  // namespace

void writeNiftiImage(OutputFile& output, const VoiPlacement& placement, const std::vector<std::uint8_t>& voxels,
                     bool label, int gzipLevel) {
    writeImage(output, placement, voxels.data(), voxels.size(), DT_UINT8, label, gzipLevel);
}

void writeNiftiImage(OutputFile& output, const VoiPlacement& placement, const std::vector<std::uint16_t>& voxels,
                     bool label, int gzipLevel) {
    writeImage(output, placement, voxels.data(), voxels.size(), DT_UINT16, label, gzipLevel);
}

}  // namespace zandrel
