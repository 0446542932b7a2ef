#pragma once
// The public C++ API of the converter, namespace zandrel: one include for all of it.
//
//   zandrel/version.h   kVersion, featureList(), ZANDREL_WITH_NIFTI, ZANDREL_WITH_REPORT
//   zandrel/records.h   the readers of every input record and of .voi files
//   zandrel/chain.h     a set's records and its chain, with the conversion's refusals
//   zandrel/convert.h   one set converted in memory
//   zandrel/batch.h     a batch run with an observer
//   zandrel/outputs.h   the .voi and the other outputs of a converted set
//   zandrel/runs.h      VOIs placed on functional runs: footprints and time courses
//   zandrel/images.h    a .voi file's label image and its grid, in memory

#include "zandrel/batch.h"
#include "zandrel/chain.h"
#include "zandrel/convert.h"
#include "zandrel/images.h"
#include "zandrel/outputs.h"
#include "zandrel/records.h"
#include "zandrel/runs.h"
#include "zandrel/version.h"
