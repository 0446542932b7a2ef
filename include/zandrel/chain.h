#pragma once
// The records of one set and the chain from its anatomical grid to its functional grid.
//
//   FileSet        the six paths of a set, as a list file gives them
//   SetRecords     readSetRecords(set, loadTimeCourse)  every record of the set, with the
//                  refusals a conversion applies (incomplete matrix or landmarks, a
//                  time-course data file that cannot hold the header's sizes)
//   SetChain       computeSetChain(records)  the chain matrix (gridToFunctional()), its
//                  factors, the landmark step, the grid space and the verdict
//   void           requireUsable(chain)  throws std::runtime_error with the verdict's
//                  reason, the text a conversion logs for the set, when it is refused

#include "batch/file_set.h"
#include "batch/set_reader.h"
#include "batch/set_records.h"
#include "chain/chain_factors.h"
#include "chain/chain_verdict.h"
#include "chain/set_chain.h"
