#pragma once

// The columns of scrivolux.analyse_frame: each figure of a report once, under a
// flat snake_case name, with the value the report's JSON gives it (the JSON's
// single-precision figures in their shortest form, null as None).

#include "report/TextReport.h"

#include <pybind11/pybind11.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Every column's name, in the frame's order; the per-rule check counts
// ("checks_passive", ...) only when withChecks. "error" is always last.
std::vector<std::string> FrameColumnNames(bool withChecks);

// The columns named (a subset of FrameColumnNames, in any order) as Python
// lists, one value per report; a missing report gives None in every column
// but "error", which holds its reason (None for a report). Called with the GIL.
pybind11::dict FrameColumns(const std::vector<std::string>& names,
                            const std::vector<std::optional<TextReport>>& reports,
                            const std::vector<std::string>& errors);
