// Runs every script under tests/vbs/<feature>/<case>.vbs and compares what it does with its
// annotations:
//   ' expect: TEXT                          the next MsgBox shows TEXT
//   ' expect runtime error N: TEXT          the run ends with error N on this line
//   ' expect runtime error N at P: TEXT     ... at 1-based position P of this line
//   ' expect syntax error N at P: TEXT      parsing fails at position P of this line
//   ' expect syntax error N at L:P: TEXT    ... at line L, position P (1-based)
// TEXT is the description as the host receives it.
#include "TestHost.h"
#include "vbs/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>

namespace fs = std::filesystem;
using namespace qp::vbs;
using namespace qp::vbs::test;

namespace {

struct ExpectedError {
    bool syntax = false;
    int number = 0;
    int line = 0;                  // 0-based
    std::optional<int> position;   // 0-based
    std::string description;
};

struct Expectations {
    std::vector<std::string> output;
    std::optional<ExpectedError> error;
};

Expectations readExpectations(const std::string& text)
{
    static const std::regex output(R"(' expect: (.*)$)");
    static const std::regex error(R"(' expect (runtime|syntax) error (-?\d+)(?: at (?:(\d+):)?(\d+))?: (.*)$)");
    Expectations e;
    // Lines end as the engine ends them: CR LF, LF or CR.
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            lines.emplace_back();
        } else {
            lines.back().push_back(text[i]);
        }
    }
    for (int n = 0; n < int(lines.size()); ++n) {
        const std::string& line = lines[n];
        std::smatch m;
        if (std::regex_search(line, m, error)) {
            ExpectedError x;
            x.syntax = m[1] == "syntax";
            x.number = std::stoi(m[2]);
            x.line = m[3].matched ? std::stoi(m[3]) - 1 : n;
            if (m[4].matched)
                x.position = std::stoi(m[4]) - 1;
            x.description = m[5];
            e.error = x;
        } else if (std::regex_search(line, m, output)) {
            e.output.push_back(m[1]);
        }
    }
    return e;
}

std::vector<fs::path> scripts()
{
    std::vector<fs::path> out;
    fs::path root = fs::path(QP_SOURCE_DIR) / "tests" / "vbs";
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file() && entry.path().extension() == ".vbs")
            out.push_back(entry.path());
    std::sort(out.begin(), out.end());
    return out;
}

std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class Conformance : public ::testing::TestWithParam<fs::path> {};

TEST_P(Conformance, Script)
{
    std::string text = readFile(GetParam());
    Expectations expected = readExpectations(text);
    RunResult r = runScript(fromUtf8(text));

    std::vector<std::string> shown;
    for (const auto& s : r.output)
        shown.push_back(narrow(s));
    EXPECT_EQ(shown, expected.output);

    if (!expected.error) {
        for (const ScriptError& e : r.errors)
            ADD_FAILURE() << "unexpected error " << e.number << " at line " << e.line + 1 << " position "
                          << e.position + 1 << ": " << narrow(e.description);
        EXPECT_EQ(r.outcome, RunOutcome::Completed);
        return;
    }
    const ExpectedError& x = *expected.error;
    ASSERT_EQ(r.errors.size(), 1u) << "the error is reported exactly once";
    const ScriptError& e = r.errors[0];
    EXPECT_EQ(e.syntax, x.syntax);
    EXPECT_EQ(e.number, x.number);
    EXPECT_EQ(e.line, x.line) << "line (0-based)";
    if (x.position) {
        EXPECT_EQ(e.position, *x.position) << "position (0-based)";
    }
    EXPECT_EQ(narrow(e.description), x.description);
    if (x.syntax) {
        EXPECT_EQ(narrow(e.source), "VBScript compilation error");
    }
    EXPECT_EQ(r.parsed, !x.syntax);
}

std::string caseName(const ::testing::TestParamInfo<fs::path>& info)
{
    fs::path p = info.param;
    std::string name = p.parent_path().filename().string() + "_" + p.stem().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Vbs, Conformance, ::testing::ValuesIn(scripts()), caseName);

}  // namespace
