#pragma once
// The program's own arguments as the command line of the program under test.

#include <string>
#include <vector>

namespace qp {

// The arguments joined as ProcessCommandLine joins them (an argument with a blank quoted),
// except a single argument that holds a blank and is not an existing file: that is a whole
// command line, as a second instance receives it from RunInNewWindow, and is run as it is
// rather than as the name of a program.
std::string CommandFromArguments(const std::vector<std::string>& args);

}  // namespace qp
