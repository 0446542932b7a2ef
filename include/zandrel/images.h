#pragma once
// A .voi file's VOIs as images on its grid, in memory: what the NIfTI label and mask images
// of `convert --nifti` and `export` hold, without the NIfTI C library.
//
//   VoiPlacement placeVoiFile(file, millimetreTriples)  the grid the file's triples lie on
//                and its grid-to-world matrix; `millimetreTriples` as the conversion knew it
//                (SetChain::talairachForm), or nothing for a file read back
//   VoiCells     collectVoiCells(file, placement)  each VOI's grid cells, i fastest
//   narrowLabelImage, labelImage   the label image in uint8 (at most 255 VOIs) or uint16
//   niftiXformCode, niftiQuaternion  the sform/qform code and the exact quaternion of a grid

#include "outputs/table/nifti_conventions.h"
#include "voi/voi_figures.h"
#include "voi/voi_space.h"
#include "zandrel/records.h"
