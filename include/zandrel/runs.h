#pragma once
// VOIs placed on functional runs, without writing a file: what `zandrel project` and
// `zandrel extract` compute per run set, for callers that want the numbers themselves.
//
//   RunSet        the paths of a run set: a .voi file and the run's FMR, IA, FA, ACPC (and TAL)
//   ProjectedRun  projectRunSet(set)  the .voi as read, the run's header and usable chain and
//                 the footprint of every VOI; throws the reader's or the refusal's text;
//                 projectVoiFile(voi, set) the same for a VoiFile in memory
//   Footprint     per VOI the functional cells it touches with their occupancy;
//                 selectedCells(voi, minOccupancy), coverageOf(voi, minOccupancy): the cells
//                 and coverage figures the .roi and coverage files show
//   checkTimeCourseFile(fmr)  the run's time-course data file checked before it is streamed
//   TimeSeriesResult extractVoiTimeSeries(footprint, fmr, minOccupancy, ExtractOptions)
//                 per VOI and statistic one value per volume (NaN where the tables say n/a)
//   statisticNamed, statisticName, uniqueColumnNames  the statistics' and columns' names
//   runProjection, runExtraction  the batches of a run list, as the command line runs them

#include "batch/run_projection.h"
#include "batch/run_set.h"
#include "outputs/timeseries/extract_run.h"
#include "runs/footprint.h"
#include "runs/timecourse_extract.h"
#include "runs/voi_timecourses.h"
#include "zandrel/chain.h"
#include "zandrel/records.h"
