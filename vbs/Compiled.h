#pragma once
// A parsed and resolved script, ready to run.

#include "Classes.h"
#include "Nodes.h"
#include "Runtime.h"

#include <memory>
#include <string>
#include <vector>

namespace qp::vbs {

struct CompiledProgram {
    int globalCount = 0;
    bool optionExplicit = false;
    std::vector<std::u16string> dynamicNames;  // names the script uses but does not define
    std::vector<std::unique_ptr<Procedure>> procedures;
    std::vector<Ref<ClassDef>> classes;
    std::vector<ArrayDecl> globalArrays;
    Block body;
};

}  // namespace qp::vbs
