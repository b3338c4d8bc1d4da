// One line on standard error when Ctrl-C or SIGTERM ends a render, saying what became of the
// output; then the signal's earlier handler (the output file's clean-up) or its default action.
#pragma once

#include <string>

namespace orvalis::render {

// outcome: what is left, e.g. "out.wav left as it was". Install after the output is opened,
// whose clean-up handler this one then calls. newLine: a progress bar holds the line.
void installInterruptionNotice(const std::string& outcome, bool newLine);

}  // namespace orvalis::render
