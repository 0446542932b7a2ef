#pragma once
// Reading every input record and .voi file. Each reader throws std::runtime_error with the
// system's message, naming the file ("Failed opening for reading: " + path, a refused size,
// ...). What a file announces but does not hold is kept out of the record and told by the
// shortfall functions, so a caller can report or refuse instead of going on with less.
//
//   FmrHeader     readFmrHeader(path, readData)   the functional project header; with
//                                                 readData its time-course volumes too
//   RoiFile       readRoiFile(path)               the ROI plots with their voxel lists
//   TrfRecord     readTrfFile(path)               one transformation (IA, FA or ACPC)
//   TalRecord     readTalFile(path)               the Talairach landmarks
//   VoiFileReading readVoiFile(path)              a .voi file of any producer, with warnings
//
//   checkTimeCourseFile, readTimeCourseData      the time-course data behind a header
//   roiShortfall, trfMatrixRefusal,
//   talLandmarkRefusal                           what a record lacks; the refusals as the
//                                                log words them
//
// VoiFile is also what a conversion produces; VoiFile::save writes it through the one safe
// output file.

#include "formats/fmr_header.h"
#include "formats/roi_file.h"
#include "formats/shortfall.h"
#include "formats/tal_record.h"
#include "formats/trf_record.h"
#include "voi/voi_file.h"
#include "voi/voi_reader.h"
