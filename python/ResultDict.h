#pragma once

#include "report/TextReport.h"

#include <pybind11/pybind11.h>

// The report's object as Python's own values: the dict that json.loads makes
// of scrivolux-cli's JSON line for the same report (the same keys in the same
// order, 100.0 an int as JSON writes it 100), built straight from the report
// by the same description. Needs the GIL.
pybind11::dict ResultDict(const TextReport& report);
