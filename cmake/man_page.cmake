# Writes the manual page zandrel.1 from the help texts of the built program, so the help
# has one source. Usage:
#   cmake -DPROGRAM=<zandrel> -DCOMMANDS=convert,inspect,... -DVERSION=<x.y.z>
#         -DOUTPUT=<zandrel.1> -P man_page.cmake
#
# The help texts are taken as they are printed: `PROGRAM --help` becomes the DESCRIPTION,
# and each command's help (`PROGRAM help COMMAND`, or `PROGRAM COMMAND --help` when the
# program has no help command) a subsection of COMMANDS, each as a block of preformatted
# lines, so any layout of the help survives. Characters that roff would read as requests or
# escapes are escaped. The page is written to a temporary file and renamed into place.
foreach(required PROGRAM COMMANDS VERSION OUTPUT)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "man_page.cmake: ${required} is not set")
  endif()
endforeach()
string(REPLACE "," ";" command_list "${COMMANDS}")

# Runs the program with the given arguments; sets <out> to its standard output when it
# exits with status 0 and prints something, else to the empty string.
function(help_text out)
  execute_process(COMMAND "${PROGRAM}" ${ARGN}
    RESULT_VARIABLE status OUTPUT_VARIABLE text ERROR_QUIET TIMEOUT 30)
  if(NOT status EQUAL 0 OR text STREQUAL "")
    set(text "")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The text as roff lines that print exactly as written: backslashes become \e, hyphens \-
# (an ASCII hyphen, so options can be copied from the page), and a line starting with a dot
# or an apostrophe (a roff request otherwise) gets the zero-width \& in front. The whole
# text is handled as one string: CMake lists would mangle semicolons and brackets.
function(roff_escaped out text)
  string(REPLACE "\r" "" text "${text}")
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "\n+$" "" text "${text}")
  set(text "\n${text}")
  string(REGEX REPLACE "\n([.'])" "\n\\\\&\\1" text "${text}")
  string(SUBSTRING "${text}" 1 -1 text)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# A preformatted block: no filling, no hyphenation, the lines as they are.
function(preformatted out text)
  roff_escaped(lines "${text}")
  set(${out} ".PP\n.nf\n${lines}\n.fi\n" PARENT_SCOPE)
endfunction()

help_text(overview --help)
if(overview STREQUAL "")
  message(FATAL_ERROR "man_page.cmake: '${PROGRAM} --help' printed nothing or failed")
endif()

set(synopsis "")
set(commands_section "")
foreach(command IN LISTS command_list)
  help_text(text help ${command})
  if(text STREQUAL "")
    help_text(text ${command} --help)
  endif()
  if(text STREQUAL "")
    message(FATAL_ERROR "man_page.cmake: no help for the command '${command}'")
  endif()
  # SYNOPSIS: the usage line of the command's help, or the command with its options.
  if(text MATCHES "[Uu][Ss][Aa][Gg][Ee]:[ \t]*([^\n]*)")
    string(APPEND synopsis "${CMAKE_MATCH_1}\n")
  else()
    string(APPEND synopsis "zandrel ${command} [OPTIONS]\n")
  endif()
  preformatted(block "${text}")
  string(APPEND commands_section ".SS ${command}\n${block}")
endforeach()
roff_escaped(synopsis "${synopsis}")
preformatted(description "${overview}")

string(CONCAT page
  ".\\\" Generated from the program's help texts by man_page.cmake; do not edit.\n"
  ".TH ZANDREL 1 \"\" \"zandrel ${VERSION}\" \"User Commands\"\n"
  ".SH NAME\n"
  "zandrel \\- convert regions of interest into volumes of interest\n"
  ".SH SYNOPSIS\n"
  ".nf\n${synopsis}\nzandrel \\-\\-help | \\-\\-version\n.fi\n"
  ".SH DESCRIPTION\n"
  "${description}"
  ".SH COMMANDS\n"
  "${commands_section}"
  ".SH EXIT STATUS\n"
  ".TP\n.B 0\nsuccess\n"
  ".TP\n.B 1\na failure: for \\fBconvert\\fR, at least one data set was reported or could not be converted\n"
  ".TP\n.B 2\na usage error, or an input that cannot be read at all\n"
  ".PP\nEach command's help above gives its exit statuses in detail.\n"
  ".SH FILES\n"
  ".nh\n"
  ".TP\n.I LIST\n"
  "the list file of \\fBconvert\\fR: line 1 a path prefix (replaced by \\fB\\-\\-prefix\\fR), then per "
  "data set a line ending in roi and the lines of its .fmr, IA.trf, FA.trf, ACPC.trf and (optional) "
  ".tal files; a list written on Windows (backslashes, a drive prefix, CR LF) runs with "
  "\\fB\\-\\-prefix\\fR. The run lists of \\fBproject\\fR and \\fBextract\\fR start each set at a line "
  "ending in voi\n"
  ".TP\n.I <stem>_TAL_.voi, <stem>_ACPC_.voi\n"
  "the volume of interest of a data set, written next to its ROI file: in Talairach space when "
  "the set names a landmark file, otherwise in ACPC space\n"
  ".TP\n.I <stem>.nii.gz, <stem>VOI<k>.nii.gz, <stem>.tsv, <stem>.json\n"
  "with \\fBconvert \\-\\-nifti\\fR or \\fBexport\\fR: the label image (labels) or one mask per VOI "
  "(masks), the per-VOI table and the JSON sidecar, named after the .voi file\n"
  ".TP\n.I DIR/index.html\n"
  "with \\fBconvert \\-\\-report DIR\\fR: the quality-control report, its pictures beside it\n"
  ".TP\n.I FILE\n"
  "with \\fB\\-\\-transcript FILE\\fR (\\fBconvert\\fR, \\fBproject\\fR, \\fBextract\\fR): every log "
  "entry as one JSON string per line (JSON Lines), in order\n"
  ".TP\n.I <fmr stem>_<voi stem>.roi, <fmr stem>_<voi stem>_coverage.tsv\n"
  "written by \\fBproject\\fR beside the run's FMR file (or in its output folder): the VOIs as a ROI "
  "file of the run and their coverage per VOI\n"
  ".TP\n.I <fmr stem>_<voi stem>_occupancy.nii.gz, <fmr stem>_<voi stem>_occupancy.json\n"
  "with \\fBproject \\-\\-nifti\\fR: the occupancy of every functional voxel, one volume per VOI, "
  "and its sidecar\n"
  ".TP\n.I <fmr stem>_<voi stem>_stat\\-<name>_timeseries.tsv, <fmr stem>_<voi stem>_timeseries.json\n"
  "written by \\fBextract\\fR: one table per statistic (a column per VOI, a line per volume) and "
  "their sidecar, with the coverage table as \\fBproject\\fR writes it\n"
  ".TP\n.I share/doc/zandrel/README.md\n"
  "under the installation prefix (\\fI/usr/share/doc/zandrel\\fR with the Debian package): the "
  "user's manual, with every command, the list format and the outputs explained\n"
  ".TP\n.I share/doc/zandrel/examples/\n"
  "the example study: two subjects and their list \\fIstudy.txt\\fR; copy the folder and run "
  "its list with \\fB\\-\\-prefix @list\\fR\n"
  ".SH EXAMPLES\n"
  "Convert a copy of the example study, from any folder:\n"
  ".PP\n.nf\n"
  "cp \\-r /usr/share/doc/zandrel/examples ~/zandrel\\-example\n"
  "zandrel convert ~/zandrel\\-example/study.txt \\-\\-prefix @list\n"
  ".fi\n"
  ".PP\n"
  "Convert, check first, keep a transcript, or run a list written on Windows:\n"
  ".PP\n.nf\n"
  "zandrel convert study.txt \\-\\-dry\\-run\n"
  "zandrel convert study.txt \\-\\-transcript study\\-log.jsonl\n"
  "zandrel convert windows\\-list.txt \\-\\-prefix /data/Study\n"
  ".fi\n"
  ".PP\n"
  "The outputs for other tools: NIfTI masks, tables and sidecars, a quality-control report, "
  "NIfTI files of existing .voi files:\n"
  ".PP\n.nf\n"
  "zandrel convert study.txt \\-\\-prefix @list \\-\\-nifti masks \\-\\-report qc\n"
  "zandrel export subject1/s1_TAL_.voi \\-\\-output\\-dir nifti\n"
  ".fi\n"
  ".PP\n"
  "Look into files and sets:\n"
  ".PP\n.nf\n"
  "zandrel inspect subject1/s1.roi\n"
  "zandrel inspect subject1/s1_TAL_.voi \\-\\-voxels\n"
  "zandrel chain s1_run1.fmr s1_IA.trf s1_FA.trf s1_ACPC.trf\n"
  ".fi\n"
  ".PP\n"
  "VOIs on other functional runs, and their time courses:\n"
  ".PP\n.nf\n"
  "zandrel project runs.txt \\-\\-min\\-occupancy 0.5 \\-\\-nifti\n"
  "zandrel extract runs.txt \\-\\-stat mean,eigen \\-\\-output\\-dir ts\n"
  ".fi\n"
  ".SH SEE ALSO\n"
  "The user's manual \\fIREADME.md\\fR in the documentation folder above; "
  "\\fBzandrel help\\fR \\fICOMMAND\\fR.\n")

get_filename_component(folder "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${folder}")
file(WRITE "${OUTPUT}.tmp" "${page}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
