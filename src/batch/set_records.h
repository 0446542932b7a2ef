#pragma once

#include "chain/set_chain.h"
#include "formats/fmr_header.h"
#include "formats/roi_file.h"
#include "formats/tal_record.h"
#include "formats/trf_record.h"
#include "voi/voi_builder.h"
#include "voi/voi_file.h"

namespace zandrel {

// Every record of one set, read in the order ROI, FMR, IA, FA, ACPC, TAL.
struct SetRecords {
    RoiFile roi;
    FmrHeader fmr;  // the header; its time-course data is loaded only on request
    TrfRecord ia;
    TrfRecord fa;
    TrfRecord acpc;
    TalRecord tal;  // the empty record (FileVersion -1) when the set names no TAL file
};

// The chain of a set's records; judged, not checked: see chain.verdict or requireUsable.
inline SetChain computeSetChain(const SetRecords& records) {
    return computeSetChain(records.fmr, records.ia, records.fa, records.acpc, records.tal);
}

// All that went into and came out of one converted set, for callers that write more than
// the .voi file (other formats, pictures): the records, the chain the VOIs were built
// with, the builder's report and the saved file.
struct ConvertedSet {
    SetRecords records;
    SetChain chain;
    VoiBuildReport build;
    VoiFile voiFile;
};

}  // namespace zandrel
