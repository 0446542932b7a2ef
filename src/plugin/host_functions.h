#pragma once

// The module-global table of the host's functions, bound by name from the host executable.
// Every entry is null until the first successful binding; an entry stays null when the host
// does not export that function. Callers test an entry before calling it.

#include <array>
#include <cstddef>

namespace zandrel {

// Opaque type of the host functions the plug-in binds but never calls.
using HostProc = void (*)();

// Call contracts of the five host functions the plug-in calls. The host's results are never
// used; they are declared returning void, which is safe on the x64 calling convention (a result
// left in the return register is simply ignored).
using ZnGetVersionFn = void (*)(int* major, int* minor, int* patch);
using ZnShowLogTabFn = void (*)();
using ZnLogTextFn = void (*)(const char* text);
using ZnMessageBoxFn = void (*)(const char* text);
// `buffer` is caller-owned, 512 bytes; the host writes the chosen path zero-terminated.
using ZnGetOpenFileNameFn = void (*)(const char* caption, const char* second,
                                     const char* filter, char* buffer);

// The version function: bound first, and the only entry a binding requires.
#define ZANDREL_HOST_VERSION_FUNCTION(X) X(znGetVersionOfGyrafexZN, ZnGetVersionFn)

// The other 189 host functions, in binding order.
#define ZANDREL_HOST_OTHER_FUNCTIONS(X) \
    X(znGetGyrafexZNPath, HostProc) \
    X(znGetPluginsPath, HostProc) \
    X(znShowLogPane, HostProc) \
    X(znShowLogTab, ZnShowLogTabFn) \
    X(znLogText, ZnLogTextFn) \
    X(znMessageBox, ZnMessageBoxFn) \
    X(znYesNoMessageBox, HostProc) \
    X(znGetIntegerInput, HostProc) \
    X(znGetFloatInput, HostProc) \
    X(znGetTextInput, HostProc) \
    X(znGetOpenFileName, ZnGetOpenFileNameFn) \
    X(znGetSaveFileName, HostProc) \
    X(znUpdateActiveWindow, HostProc) \
    X(znShowBusyCursor, HostProc) \
    X(znStopBusyCursor, HostProc) \
    X(znCloseAllPlots, HostProc) \
    X(znPlotPoints, HostProc) \
    X(znAddPointsToPlot, HostProc) \
    X(znPlotLine, HostProc) \
    X(znAddLineToPlot, HostProc) \
    X(znPlotBars, HostProc) \
    X(znAddBarsToPlot, HostProc) \
    X(znShowPlotAtPosition, HostProc) \
    X(znResizePlot, HostProc) \
    X(znSetBarPlotXAxisCategories, HostProc) \
    X(znSetPlotXAxisRange, HostProc) \
    X(znSetPlotYAxisRange, HostProc) \
    X(znSetPlotXAxisTitle, HostProc) \
    X(znSetPlotYAxisTitle, HostProc) \
    X(znSetPlotXAxisProperties, HostProc) \
    X(znSetPlotYAxisProperties, HostProc) \
    X(znSetPlotTitle, HostProc) \
    X(znSetPlotMarkerSizeAndColor, HostProc) \
    X(znSetPlotLineSizeAndColor, HostProc) \
    X(znSetPlotBarColors, HostProc) \
    X(znSetPlotFontSizes, HostProc) \
    X(znShowPlotLegend, HostProc) \
    X(znSetPlotColorTheme, HostProc) \
    X(znGetNumberOfDocsInWorkspace, HostProc) \
    X(znGetDocumentType, HostProc) \
    X(znGetDocumentTypeName, HostProc) \
    X(znGetIDOfCurrentDocument, HostProc) \
    X(znSetAsCurrentDocument, HostProc) \
    X(znCalculateIAMatrix, HostProc) \
    X(znGetTRFParametersFromVolumeToolsDlg, HostProc) \
    X(znGetHeaderOfCurrentFMR, HostProc) \
    X(znSetHeaderOfCurrentFMR, HostProc) \
    X(znGetSTCFloatDataOfCurrentFMR, HostProc) \
    X(znGetSTCIntDataOfCurrentFMR, HostProc) \
    X(znGetSTCDataOfCurrentFMR, HostProc) \
    X(znSaveFMR, HostProc) \
    X(znSaveFMRAndSTC, HostProc) \
    X(znGetScannerPositionHeaderOfCurrentFMR, HostProc) \
    X(znSetScannerPositionHeaderOfCurrentFMR, HostProc) \
    X(znGetHeaderOfCurrentDMR, HostProc) \
    X(znSetHeaderOfCurrentDMR, HostProc) \
    X(znGetDWIFloatDataOfCurrentDMR, HostProc) \
    X(znGetDWIIntDataOfCurrentDMR, HostProc) \
    X(znGetDWIDataOfCurrentDMR, HostProc) \
    X(znConvertDWIFormatOfCurrentDMR, HostProc) \
    X(znSaveDMR, HostProc) \
    X(znSaveDMRAndDWI, HostProc) \
    X(znGetMAPOfCurrentFMR, HostProc) \
    X(znSetMAPParametersOfCurrentFMR, HostProc) \
    X(znDeleteMAPsOfCurrentFMR, HostProc) \
    X(znLoadMAPsToCurrentFMR, HostProc) \
    X(znSaveMAPsOfCurrentFMR, HostProc) \
    X(znCreateMAPForCurrentFMR, HostProc) \
    X(znGetCurrentVMR, HostProc) \
    X(znGetMainHeaderOfCurrentVMR, HostProc) \
    X(znSetMainHeaderOfCurrentVMR, HostProc) \
    X(znGetScannerPositionHeaderOfCurrentVMR, HostProc) \
    X(znSetScannerPositionHeaderOfCurrentVMR, HostProc) \
    X(znGetPastTransformationsHeaderOfCurrentVMR, HostProc) \
    X(znSetPastTransformationsHeaderOfCurrentVMR, HostProc) \
    X(znReframeCurrentVMR, HostProc) \
    X(znGetCrossPositionOfCurrentVMR, HostProc) \
    X(znGetV16OfCurrentVMR, HostProc) \
    X(znLoadV16ToCurrentVMR, HostProc) \
    X(znSaveV16OfCurrentVMR, HostProc) \
    X(znDetachV16FromCurrentVMR, HostProc) \
    X(znConvertV16ToVMR, HostProc) \
    X(znGetNRVMPsOfCurrentVMR, HostProc) \
    X(znGetNRVMPOfCurrentVMR, HostProc) \
    X(znSetNRVMPParametersOfCurrentVMR, HostProc) \
    X(znLoadNRVMPsToCurrentVMR, HostProc) \
    X(znAddNRVMPsToCurrentVMR, HostProc) \
    X(znSaveNRVMPsOfCurrentVMR, HostProc) \
    X(znCreateNRVMPsForCurrentVMR, HostProc) \
    X(znDeleteNRVMPsOfCurrentVMR, HostProc) \
    X(znDeleteNRVMPMap, HostProc) \
    X(znSetNRVMPsParamsDisplayRange, HostProc) \
    X(znGetARVMPsOfCurrentVMR, HostProc) \
    X(znGetARVMPOfCurrentVMR, HostProc) \
    X(znSetARVMPParametersOfCurrentVMR, HostProc) \
    X(znLoadARVMPsToCurrentVMR, HostProc) \
    X(znSaveARVMPsOfCurrentVMR, HostProc) \
    X(znCreateARVMPsForCurrentVMR, HostProc) \
    X(znDeleteARVMPsOfCurrentVMR, HostProc) \
    X(znLinkVTCToCurrentVMR, HostProc) \
    X(znCreateVTCForCurrentVMR, HostProc) \
    X(znGetHeaderOfVTCOfCurrentVMR, HostProc) \
    X(znSetHeaderOfVTCOfCurrentVMR, HostProc) \
    X(znGetVTCOfCurrentVMR, HostProc) \
    X(znGetVTCFloatDataOfCurrentVMR, HostProc) \
    X(znGetVTCIntDataOfCurrentVMR, HostProc) \
    X(znSetVTCParametersOfCurrentVMR, HostProc) \
    X(znSaveVTCOfCurrentVMR, HostProc) \
    X(znClearMultiVTCAnalysis, HostProc) \
    X(znAddVTCRefForMultiVTCAnalysis, HostProc) \
    X(znGetVoxelTimeCourseOfVTC, HostProc) \
    X(znGetVoxelTimeCourseOfVTCs, HostProc) \
    X(znGetVoxelCoordsTimeCourseOfVTC, HostProc) \
    X(znGetVoxelCoordsTimeCourseOfVTCs, HostProc) \
    X(znGetGLMOfCurrentVMR, HostProc) \
    X(znGetGLMContrastsOfCurrentVMR, HostProc) \
    X(znLoadMaskToCurrentVMR, HostProc) \
    X(znGetMaskOfCurrentVMR, HostProc) \
    X(znGetScene, HostProc) \
    X(znLoadSRF, HostProc) \
    X(znAddSRF, HostProc) \
    X(znRemoveCurrentSRF, HostProc) \
    X(znGetCurrentSRF, HostProc) \
    X(znReleaseSRFAccess, HostProc) \
    X(znSaveCurrentSRF, HostProc) \
    X(znSetCurrentSRF, HostProc) \
    X(znLinkMTCToCurrentSRF, HostProc) \
    X(znGetMTCOfCurrentSRF, HostProc) \
    X(znSetMTCParametersOfCurrentSRF, HostProc) \
    X(znCreateMTCForCurrentSRF, HostProc) \
    X(znSaveMTCOfCurrentSRF, HostProc) \
    X(znClearMultiMTCRefsOfCurrentSRF, HostProc) \
    X(znAddMultiMTCRefToCurrentSRF, HostProc) \
    X(znGetVertexTimeCourseOfMTC, HostProc) \
    X(znGetVertexTimeCourseOfAllMTCs, HostProc) \
    X(znGetSMPsOfCurrentSRF, HostProc) \
    X(znGetSMPOfCurrentSRF, HostProc) \
    X(znSetSMPParametersOfCurrentSRF, HostProc) \
    X(znLoadSMPsToCurrentSRF, HostProc) \
    X(znSaveSMPsOfCurrentSRF, HostProc) \
    X(znCreateSMPForCurrentSRF, HostProc) \
    X(znDeleteSMPsOfCurrentSRF, HostProc) \
    X(znOverlaySMPsOnSRF, HostProc) \
    X(znGetSSMOfCurrentSRF, HostProc) \
    X(znLoadSSMToCurrentSRF, HostProc) \
    X(znSaveSSMOfCurrentSRF, HostProc) \
    X(znCreateSSMForCurrentSRF, HostProc) \
    X(znDeleteSSMOfCurrentSRF, HostProc) \
    X(znClearProtocol, HostProc) \
    X(znLoadProtocol, HostProc) \
    X(znSaveProtocol, HostProc) \
    X(znGetProtocol, HostProc) \
    X(znSetProtocol, HostProc) \
    X(znGetProtocolCondition, HostProc) \
    X(znAddProtocolCondition, HostProc) \
    X(znAddProtocolConditionInterval, HostProc) \
    X(znClearDesignMatrix, HostProc) \
    X(znAddPredictor, HostProc) \
    X(znSetPredictorValuesFromCondition, HostProc) \
    X(znSetPredictorValuesFromConditionName, HostProc) \
    X(znApplyTwoGammaHRFToPredictor, HostProc) \
    X(znApplyTwoGammaHRFToPredictorWithName, HostProc) \
    X(znApplyBoyntonHRFToPredictor, HostProc) \
    X(znApplyBoyntonHRFToPredictorWithName, HostProc) \
    X(znGetPredictor, HostProc) \
    X(znGetPredictorByName, HostProc) \
    X(znLoadSingleStudyGLMDesignMatrix, HostProc) \
    X(znSaveSingleStudyGLMDesignMatrix, HostProc) \
    X(znLoadVOIs, HostProc) \
    X(znSaveVOIs, HostProc) \
    X(znGetVOIs, HostProc) \
    X(znGetVOI, HostProc) \
    X(znLoadPOIs, HostProc) \
    X(znSavePOIs, HostProc) \
    X(znGetPOIs, HostProc) \
    X(znGetPOI, HostProc) \
    X(znGetStringParameter, HostProc) \
    X(znGetIntParameter, HostProc) \
    X(znGetFloatParameter, HostProc) \
    X(znSetStringParameter, HostProc) \
    X(znSetIntParameter, HostProc) \
    X(znSetFloatParameter, HostProc) \
    X(znGetDlgStringParameter, HostProc) \
    X(znGetDlgIntegerParameter, HostProc) \
    X(znGetDlgFloatParameter, HostProc) \
    X(znSetDlgStringOutputParameter, HostProc) \
    X(znSetDlgIntegerOutputParameter, HostProc) \
    X(znSetDlgFloatOutputParameter, HostProc) \
    X(znLaunchICADialog, HostProc)

// All 190 host functions in binding order: X(name, pointer type).
#define ZANDREL_HOST_FUNCTIONS(X) ZANDREL_HOST_VERSION_FUNCTION(X) ZANDREL_HOST_OTHER_FUNCTIONS(X)

struct HostFunctions {
#define ZANDREL_HOST_ENTRY(name, type) type name = nullptr;
    ZANDREL_HOST_FUNCTIONS(ZANDREL_HOST_ENTRY)
#undef ZANDREL_HOST_ENTRY
};

#define ZANDREL_HOST_COUNT(name, type) +1
inline constexpr std::size_t kHostFunctionCount = 0 ZANDREL_HOST_FUNCTIONS(ZANDREL_HOST_COUNT);
#undef ZANDREL_HOST_COUNT

// The module's one table; constant-initialised (all null) before any code of the module runs.
extern HostFunctions hostFunctions;

// The host function names in binding order.
const std::array<const char*, kHostFunctionCount>& hostFunctionNames();

// The table's entries in binding order, each as an opaque pointer (for inspection).
std::array<HostProc, kHostFunctionCount> hostFunctionEntries(const HostFunctions& table);

// Looks for the host executable ("Gyrafex.exe", else "GyrafexZN.exe") among the modules
// already loaded in the process and binds the table from it.
// - No host executable: returns false, the table is left as it was.
// - Host without the version function: returns false, only the version entry changes (to null).
// - Otherwise every entry is rebound (null where the host lacks the function); returns true.
bool bindHostFunctions();

}  // namespace zandrel
