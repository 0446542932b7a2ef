// Fills a NIfTI-1 header for the occupancy maps of a projected set and has the NIfTI C
// library write it.
#include "outputs/nifti/occupancy_image.h"

#include <nifti1_io.h>

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

#include "outputs/nifti/nifti_image_handle.h"

namespace zandrel {


void writeOccupancyImage(OutputFile& output, const std::array<std::int32_t, 3>& dims, std::int32_t volumes,
                         const std::vector<float>& values, const WorldMatrix& toWorld) {
    const std::uint64_t count = static_cast<std::uint64_t>(dims[0]) * static_cast<std::uint64_t>(dims[1]) *
                                static_cast<std::uint64_t>(dims[2]) * static_cast<std::uint64_t>(volumes);
    if (volumes < 1 || count != values.size()) throw std::invalid_argument("writeOccupancyImage: value count");
    const int imageDims[8] = {4, dims[0], dims[1], dims[2], volumes, 1, 1, 1};
    const NiftiImagePtr image = newNiftiImage(output, imageDims, DT_FLOAT32);
    nifti_image& nim = *image;

    mat44 sform;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) sform.m[r][c] = static_cast<float>(toWorld[static_cast<std::size_t>(4 * r + c)]);
    // Voxel sizes: the lengths of the matrix's columns.
    float size[3];
    for (int c = 0; c < 3; ++c) {
        const double x = toWorld[static_cast<std::size_t>(c)], y = toWorld[static_cast<std::size_t>(4 + c)],
                     z = toWorld[static_cast<std::size_t>(8 + c)];
        size[c] = static_cast<float>(std::sqrt(x * x + y * y + z * z));
    }
    nim.dx = nim.pixdim[1] = size[0];
    nim.dy = nim.pixdim[2] = size[1];
    nim.dz = nim.pixdim[3] = size[2];
    nim.dt = nim.pixdim[4] = 1.0f;
    nim.xyz_units = NIFTI_UNITS_MM;
    nim.scl_slope = 0.0f;
    nim.scl_inter = 0.0f;
    nim.cal_min = 0.0f;
    nim.cal_max = 1.0f;

    nim.sform_code = NIFTI_XFORM_ALIGNED_ANAT;
    nim.sto_xyz = sform;
    nim.qform_code = NIFTI_XFORM_ALIGNED_ANAT;
    float qb, qc, qd, qx, qy, qz, dx, dy, dz, qfac;
    nifti_mat44_to_quatern(sform, &qb, &qc, &qd, &qx, &qy, &qz, &dx, &dy, &dz, &qfac);
    nim.quatern_b = qb;
    nim.quatern_c = qc;
    nim.quatern_d = qd;
    nim.qoffset_x = qx;
    nim.qoffset_y = qy;
    nim.qoffset_z = qz;
    nim.qfac = qfac;
    nim.qto_xyz = nifti_quatern_to_mat44(qb, qc, qd, qx, qy, qz, size[0], size[1], size[2], qfac);
    std::strncpy(nim.descrip, "VOI occupancy on a functional run", sizeof nim.descrip - 1);

    nim.data = const_cast<float*>(values.data());
    writeNiftiImageFile(output, nim, "wb6");
}

}  // namespace zandrel
