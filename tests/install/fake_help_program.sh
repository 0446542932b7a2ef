#!/bin/sh
# A stand-in for the command line whose help texts hold everything roff could misread:
# lines starting with a dot or an apostrophe, backslashes and roff escapes, hyphens,
# semicolons inside brackets, tabs, non-ASCII text and a layout of another argument parser.
# Commands: alpha (help through `help alpha`), beta (only `beta --help`), gamma (no help).
overview() {
  cat <<'TEXT'
Usage: fake COMMAND [ARGS...]

.TH a line that looks like a request
'br and one that starts with an apostrophe
SUBCOMMANDS:
  alpha                       the first; [a;b] and [c;d]
  beta	tab	separated
TEXT
}
alpha() {
  cat <<'TEXT'
Usage: fake alpha [OPTIONS] LIST

Paths as Windows users write them: C:\data\study\list.txt and \\server\share\
Roff escapes kept literal: \fBbold\fR \n(.l \(em \-\- \& \e \\
.
..
'
  --long-option=VALUE   a value; -s short, --a-b-c, ---triple
  .voi files with a leading space before the dot
Grid of 256 × 256 × 256 voxels, 2 µm
TEXT
}
beta() {
  cat <<'TEXT'
beta: no usage line here
OPTIONS:
  -h,--help                   Print this help message and exit
TEXT
}
case "$1 $2" in
  "--help ") overview ;;
  "help alpha") alpha ;;
  "beta --help") beta ;;
  *) echo "fake: no help for '$*'" >&2; exit 2 ;;
esac
