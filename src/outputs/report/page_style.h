#pragma once

namespace zandrel::report {

// The page's style sheet, for the screen of a laptop and for print; nothing loaded.
inline const char* pageStyle() {
    return R"css(
body { font-family: system-ui, sans-serif; margin: 0 auto; max-width: 76rem; padding: 1rem 1.5rem; color: #1b1b1b; background: #fff; line-height: 1.4; }
h1 { font-size: 1.5rem; margin: 0 0 .5rem; }
h2 { font-size: 1.2rem; margin: 2rem 0 .5rem; border-bottom: 1px solid #ccc; padding-bottom: .2rem; }
table { border-collapse: collapse; margin: .5rem 0; }
th, td { border: 1px solid #ccc; padding: .2rem .5rem; text-align: left; vertical-align: top; }
td.num { text-align: right; font-variant-numeric: tabular-nums; }
code, .path { font-family: ui-monospace, monospace; font-size: .9em; word-break: break-all; }
.outcome { font-weight: bold; text-transform: uppercase; font-size: .85em; padding: .05rem .35rem; border-radius: .2rem; color: #fff; }
.converted { background: #2e7d32; }
.reported { background: #b35c00; }
.failed { background: #c62828; }
tr.attention { background: #fff3e0; }
div.overview { max-height: 80vh; overflow: auto; display: inline-block; max-width: 100%; border: 1px solid #ccc; }
table.overview { margin: 0; font-size: .8em; line-height: 1.2; }
table.overview th, table.overview td { padding: .05rem .4rem; border-width: 0 0 1px 0; }
table.overview thead th { position: sticky; top: 0; background: #eee; }
table.overview .outcome { font-size: .9em; padding: 0 .3rem; }
ul.files { margin: 0; padding-left: 1.2rem; }
.summary td { border: none; padding: .1rem .8rem .1rem 0; }
.notice { border-left: .3rem solid #c62828; background: #fdecea; padding: .4rem .8rem; margin: .8rem 0; }
.swatch { display: inline-block; width: 1em; height: 1em; border: 1px solid #555; vertical-align: middle; }
ul.log { margin: .3rem 0; padding-left: 1.2rem; }
ul.log li { font-family: ui-monospace, monospace; font-size: .85em; white-space: pre-wrap; word-break: break-all; }
figure { margin: .3rem 0 1.2rem; }
figure img { display: block; max-width: 100%; height: auto; image-rendering: pixelated; background: #000; }
figcaption { font-size: .8em; color: #444; }
figcaption ol { margin: .2rem 0 0; padding-left: 1.4rem; }
.note { font-style: italic; color: #555; }
@media print {
  body { max-width: none; padding: 0; font-size: 10pt; }
  a { color: inherit; text-decoration: none; }
  .outcome { color: #000; border: 1px solid #000; background: none; }
  section.set { break-before: page; }
  figure, table { break-inside: avoid; }
  div.overview { max-height: none; overflow: visible; border: none; }
}
)css";
}

}  // namespace zandrel::report
