// The layouts that come with the game.
#pragma once

#include "core/layout.h"

#include <vector>

namespace kelmar {

// The pyramid first, then the others in the order the chooser shows them.
// Built on first use and alive for the whole run, so pointers into it stay
// valid.
const std::vector<Layout>& BuiltInLayouts();

// How many drawings the list is built from besides the pyramid; a drawing
// that broke a rule would be missing from BuiltInLayouts().
int BuiltInDrawingCount();

} // namespace kelmar
