#include "CommandLine.h"

#include "ConsoleFuncs.h"

#include <sys/stat.h>

namespace qp {

namespace {
bool isExistingFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
}  // namespace

std::string CommandFromArguments(const std::vector<std::string>& args)
{
    if (args.size() == 1 && args[0].find(' ') != std::string::npos && !isExistingFile(args[0])) {
        const std::string& a = args[0];
        const size_t first = a.find_first_not_of(" \t\r\n");
        const size_t last = a.find_last_not_of(" \t\r\n");
        return first == std::string::npos ? std::string() : a.substr(first, last - first + 1);
    }
    return JoinCommandArguments(args);
}

}  // namespace qp
