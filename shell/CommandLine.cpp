#include "CommandLine.h"

#include "console/ShellCommand.h"

namespace qp {

std::string CommandFromArguments(const std::vector<std::string>& args)
{
    return ShellJoin(args);
}

}  // namespace qp
