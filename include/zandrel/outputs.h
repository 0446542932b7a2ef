#pragma once
// Writing a converted set's outputs.
//
//   converted.voiFile.save()   the .voi file, through the one safe output file
//   outputKinds()              the registry: every output kind (NIfTI images with table and
//                              sidecar, the report) with its option, its availability in
//                              this build (available()), startBatch (an observer to add to
//                              a batch run beside your own, through an ObserverFanOut,
//                              finished after runBatch) and exportVoi (the files of an
//                              existing .voi)
//   voiTable, voiSidecar       the per-VOI table and JSON sidecar texts (every build)
//
// With ZANDREL_WITH_NIFTI (zandrel/version.h):
//   writeConvertedSetOutputs(set, converted, voiPath, mode)  what `convert --nifti` writes
//                              beside a converted set's .voi
//   writeVoiOutputs, exportVoiFile                          the same for any VoiFile or .voi

#include "outputs/output_kinds.h"
#include "outputs/table/voi_provenance.h"
#include "outputs/table/voi_sidecars.h"
#include "zandrel/convert.h"
#include "zandrel/version.h"

#if ZANDREL_WITH_NIFTI
#include "outputs/nifti/voi_outputs.h"
#endif
