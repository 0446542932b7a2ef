#pragma once
// The version of the library and the optional features built into it.
//
//   zandrel::kVersion        "1.4.0": the project's version, the one text every output shows
//   zandrel::featureList()   "features: nifti report", or "features: none"
//   ZANDREL_WITH_NIFTI       1 when the NIfTI images are built in (writeNiftiOutputs exists)
//   ZANDREL_WITH_REPORT      1 when the picture report is built in
//
// The build writes these values into zandrel/build_features.h; this header is its public name.

#include "zandrel/build_features.h"
