#pragma once
// The program's own arguments as the command line of the program under test.

#include <string>
#include <vector>

namespace qp {

// The arguments are the program's argument vector, passed on unchanged: each is quoted for
// the shell, so the command line reads back as exactly these words.
std::string CommandFromArguments(const std::vector<std::string>& args);

}  // namespace qp
