// qp-console-reference --check|--update FILE: keeps the generated parts of the Console
// reference (docs/console-reference.md) equal to the type library's table of IZEBConsole.
//
// The document holds blocks between "<!-- generated:NAME -->" and "<!-- end generated -->":
// "summary", the table of every method, and "method M", the call form, parameters and
// result of the method M. Everything outside the blocks is written by hand. --update
// rewrites the blocks and adds a section for a method the document lacks; --check says
// what --update would change and exits 1 when anything would.
#include "script/TypeLibrary.h"

#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using qp::MethodInfo;
using qp::ParamDir;
using qp::ParamInfo;
using qp::ParamType;

constexpr std::string_view kEnd = "<!-- end generated -->";
constexpr std::string_view kNewMethodsAbove = "<!-- new methods above -->";

std::string typeText(ParamType t) {
    switch (t) {
    case ParamType::Text: return "text";
    case ParamType::Integer: return "integer";
    case ParamType::Boolean: return "Boolean";
    case ParamType::Variant: return "Variant";
    }
    return "?";
}

std::string resultText(const MethodInfo& m) {
    const ParamInfo* r = m.retval();
    if (!r)
        return "nothing";
    if (r->type == ParamType::Variant)
        return "a `Console` object";
    return typeText(r->type) == "Boolean" ? "True (-1) or False (0)" : typeText(r->type);
}

// The call as a script writes it: a function call when there is a result, else a statement.
std::string callForm(const MethodInfo& m) {
    std::string args;
    for (const ParamInfo& p : m.params)
        if (p.dir != ParamDir::OutRetval)
            args += (args.empty() ? "" : ", ") + std::string(p.name);
    const std::string name = "Console." + std::string(m.name);
    if (const ParamInfo* r = m.retval()) {
        const std::string call = name + (args.empty() ? "" : "(" + args + ")");
        return r->type == ParamType::Variant ? "Set " + std::string(r->name) + " = " + call
                                             : std::string(r->name) + " = " + call;
    }
    return name + (args.empty() ? "" : " " + args);
}

std::string summaryBlock() {
    std::ostringstream s;
    s << "| method | call | result |\n|---|---|---|\n";
    for (const MethodInfo& m : qp::IZEBConsoleMethods)
        s << "| [" << m.name << "](#" << [&] {
            std::string a(m.name);
            for (char& c : a)
                c = char(std::tolower(static_cast<unsigned char>(c)));
            return a;
        }() << ") | `" << callForm(m) << "` | " << resultText(m) << " |\n";
    return s.str();
}

std::string methodBlock(const MethodInfo& m) {
    std::ostringstream s;
    s << "Call: `" << callForm(m) << "`\n\n";
    if (m.argumentCount() > 0 || (m.params.size() > 0 && !m.retval())) {
        s << "| parameter | type | passed |\n|---|---|---|\n";
        for (const ParamInfo& p : m.params)
            if (p.dir != ParamDir::OutRetval)
                s << "| `" << p.name << "` | " << typeText(p.type) << " | "
                  << (p.dir == ParamDir::In ? "in" : "out: a variable the method sets") << " |\n";
        s << "\n";
    }
    s << "Result: " << resultText(m) << ". Dispatch identifier " << m.dispId << ", slot " << m.slot << ".\n";
    return s.str();
}

struct Document {
    std::string text;
    std::vector<std::string> problems;  // what --check reports

    // Replaces the block opened by `open`; false when the document has none.
    bool replaceBlock(const std::string& open, const std::string& content) {
        const size_t start = text.find(open + "\n");
        if (start == std::string::npos)
            return false;
        const size_t body = start + open.size() + 1;
        const size_t end = text.find(kEnd, body);
        if (end == std::string::npos) {
            problems.push_back(open + " is not closed by " + std::string(kEnd));
            return true;
        }
        if (text.compare(body, end - body, content) != 0) {
            problems.push_back(open + " differs from the type library");
            text.replace(body, end - body, content);
        }
        return true;
    }
};

void refresh(Document& doc) {
    if (!doc.replaceBlock("<!-- generated:summary -->", summaryBlock()))
        doc.problems.push_back("the summary block <!-- generated:summary --> is missing");
    std::map<std::string, bool> known;
    for (const MethodInfo& m : qp::IZEBConsoleMethods) {
        const std::string open = "<!-- generated:method " + std::string(m.name) + " -->";
        known[std::string(m.name)] = true;
        if (doc.replaceBlock(open, methodBlock(m)))
            continue;
        doc.problems.push_back("the method " + std::string(m.name) + " has no section");
        const std::string section = "### " + std::string(m.name) + "\n\n" + open + "\n" + methodBlock(m) +
                                    std::string(kEnd) + "\n\n(Not described yet.)\n\n";
        size_t at = doc.text.find(kNewMethodsAbove);
        if (at == std::string::npos)
            at = doc.text.size();
        doc.text.insert(at, section);
    }
    // Sections of methods the table no longer has.
    const std::string prefix = "<!-- generated:method ";
    for (size_t at = doc.text.find(prefix); at != std::string::npos; at = doc.text.find(prefix, at + 1)) {
        const size_t nameEnd = doc.text.find(' ', at + prefix.size());
        const std::string name = doc.text.substr(at + prefix.size(), nameEnd - at - prefix.size());
        if (!known.count(name))
            doc.problems.push_back("the section of " + name + " names a method IZEBConsole does not have: remove it");
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc == 3 ? argv[1] : "";
    if (mode != "--check" && mode != "--update") {
        std::cerr << "usage: qp-console-reference --check|--update docs/console-reference.md\n";
        return 2;
    }
    const std::string path = argv[2];
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "qp-console-reference: cannot read " << path << "\n";
        return 2;
    }
    Document doc{std::string(std::istreambuf_iterator<char>(in), {}), {}};
    refresh(doc);
    if (mode == "--check") {
        for (const std::string& p : doc.problems)
            std::cerr << path << ": " << p << "\n";
        if (!doc.problems.empty())
            std::cerr << "The Console reference is out of date with script/TypeLibrary.h. Regenerate it with\n"
                         "    cmake --build build --target update-console-reference\n"
                         "then describe any new method in its section and commit the file.\n";
        return doc.problems.empty() ? 0 : 1;
    }
    if (!doc.problems.empty()) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << doc.text;
        if (!out) {
            std::cerr << "qp-console-reference: cannot write " << path << "\n";
            return 2;
        }
        for (const std::string& p : doc.problems)
            std::cout << "updated: " << p << "\n";
    }
    return 0;
}
