#include "console/Errors.h"

#include <cerrno>
#include <gtest/gtest.h>

using namespace qp;

TEST(Errors, ConsoleErrorCarriesCodeAndSystemText)
{
    ConsoleError e(EPIPE);
    EXPECT_EQ(e.code(), EPIPE);
    EXPECT_EQ(std::string(e.what()), std::string("Win32 Error.  Code: ") + std::to_string(EPIPE) + ".\nBroken pipe");
    EXPECT_STREQ(ConsoleError(0).what(), "A Win32 API function failed");
}

TEST(Errors, CantExecuteQuotesTheCommand)
{
    EXPECT_STREQ(CantExecuteError("tool.exe").what(), "Can't execute \"tool.exe\"");
}
