#pragma once

#include "cli/CliOptions.h"

#include <iosfwd>
#include <string>

// Where a run reads and writes. The text of "-" and the answers of the terminal
// dialog (when the text does not come from standard input) are read from stdin.
struct CliStreams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    int stdinDescriptor = 0; // read directly, so that a closed stdin is reported; -1 when closed
    bool stdinIsTerminal = false;    // answers typed there show themselves
    std::string executableDirectory; // where cuvplus.dat and custom.dat lie by default
};

// Loads the dictionaries, analyses every input in order and writes the reports.
// Returns the exit status (ExitStatus).
int RunCli(const CliOptions& options, CliStreams& streams);
