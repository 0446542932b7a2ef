#pragma once

namespace zandrel::cli {

// Whether standard error is an interactive terminal (progress is shown only then, so
// redirected output and scripts never see it). The command line's only platform call.
bool standardErrorIsTerminal();

}  // namespace zandrel::cli
