// `oplexa stats --svg OUT.svg`: each block's processing time against its budget over the session,
// over-budget blocks marked in red, on a logarithmic time axis with the budget line named. Written
// by hand as SVG 1.1, so any browser or converter shows it.
#pragma once

#include "tools/oplexa/StatsTables.h"

#include <string>

namespace oplexa
{
// Walks the recording again for the blocks (the first walk gave audio) and writes the picture;
// why it could not, or empty.
std::string drawBudget(const std::string& recording, const AudioBudget& audio,
                       const std::string& out);
} // namespace oplexa
