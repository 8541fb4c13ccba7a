// FUZZ_CHECK for the storage fuzz targets; one definition serves all of them.
#pragma once

#include "fuzz/fuzz_check.h"
