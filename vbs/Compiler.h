#pragma once
// Resolves the syntax tree's names to slots and builds the executable tree. Declarations
// (Dim, Const, ReDim, Sub, Function) count for their whole scope, wherever they stand.

#include "Ast.h"
#include "Compiled.h"
#include "Lexer.h"

#include <unordered_map>

namespace qp::vbs {

struct Builtin;

// A text compiled during the run: Execute's and ExecuteGlobal's statements or Eval's
// expression. Procedures and classes it defines join the program for good.
struct Fragment {
    Block body;
    ExprPtr expression;
    std::vector<ArrayDecl> extraArrays;  // Dim'd arrays among the call's Execute variables
    // Constants the text declares at script level under names the script already used
    // undeclared: those variables take the value.
    std::vector<std::pair<int, Variant>> implicitConstants;
};

class Compiler {
public:
    static constexpr int kFragmentNesting = 200;
    Compiler(CompiledProgram& out, const std::vector<NamedItem>& items);
    bool compile(const ast::Program& program, SyntaxErrorInfo& error);

    // Compiles a text in the scope of `proc` (its parameters, locals, the variables earlier
    // Execute texts made in `extra`, and its class's members) or, with proc null, at
    // script level. New script-level names go to the program; the caller then grows the
    // run's globals (Context::programGrew).
    bool compileFragment(std::u16string_view text, bool expression, const Procedure* proc, FrameExtra* extra,
                         Fragment& out, SyntaxErrorInfo& error);
    // A procedure defined at script level (GetRef), or null.
    const Procedure* globalProcedure(std::u16string_view name) const;
    const ClassDef* globalClass(std::u16string_view name) const;

private:
    struct Failure {};
    struct Symbol {
        enum class Kind : uint8_t { Global, Local, Param, Result, Const, Proc, Field, Member, Class, Extra };
        explicit Symbol(Kind k, int s = 0) : kind(k), slot(s) {}
        Kind kind;
        int slot = 0;
        Variant value;
        Procedure* proc = nullptr;
        ClassDef* cls = nullptr;
    };
    using Table = std::unordered_map<std::u16string, Symbol>;
    struct ClassScope {
        ClassDef* def = nullptr;
        Table symbols;  // fields and member procedures
    };
    struct ProcScope {
        Procedure* proc = nullptr;
        Table symbols;
        std::unordered_map<std::u16string, int> implicit;
    };

    // Declarations (CompilerDeclarations.cpp).
    void declareProcedures(const ast::Block& statements);
    void declareClass(const ast::ClassStmt& c);
    void compileClass(const ast::ClassStmt& c);
    void declareGlobals(const ast::Block& block);
    void declareLocals(const ast::Block& block, ProcScope& scope);
    void declare(Table& table, const std::u16string& name, Symbol symbol, ast::Pos pos);
    Variant constantValue(const ast::Expr& e);
    std::vector<size_t> dimCounts(const ast::DimItem& item);
    void compileProcedure(const ast::ProcedureStmt& def, Procedure& proc);
    [[noreturn]] void fail(int32_t number, ast::Pos pos);

    // Statements (CompilerStatements.cpp).
    void compileBlock(const ast::Block& in, Block& out);
    StmtPtr compileStatement(const ast::Stmt& s);
    StmtPtr compileIf(const ast::IfStmt& s);
    StmtPtr compileSelect(const ast::SelectStmt& s);
    StmtPtr compileFor(const ast::ForStmt& s);
    StmtPtr compileForEach(const ast::ForEachStmt& s);
    StmtPtr compileDo(const ast::DoStmt& s);
    StmtPtr compileWith(const ast::WithStmt& s);
    StmtPtr compileReDim(const ast::DimStmt& s);
    StmtPtr compileErase(const ast::EraseStmt& s);
    int newSlot(bool& local);
    qp::vbs::StmtPtr compileAssign(const ast::AssignStmt& s);
    bool isVariable(const std::u16string& name) const;
    bool sideEffectFree(const ast::Expr& e) const;
    bool appendPieces(const ast::Expr& target, const ast::Expr& value, std::vector<const ast::Expr*>& pieces) const;

    // Expressions (CompilerExpressions.cpp).
    ExprPtr compileExpr(const ast::Expr& e);
    ExprPtr compileArg(const ast::Expr& e);
    ExprList compileArgs(const std::vector<ast::ExprPtr>& args);
    ExprPtr compileName(const std::u16string& name, ExprList args, bool hasArgs, bool explicitCall);
    ExprPtr compileCall(const ast::Expr& e, bool explicitCall);
    ExprPtr compileUnary(const ast::Expr& e);
    ExprPtr compileBinary(const ast::Expr& e);
    ExprPtr withObject(ast::Pos pos);
    const Symbol* lookup(const std::u16string& key) const;
    size_t dynamicId(const std::u16string& name);

    CompiledProgram& m_out;
    const std::vector<NamedItem>& m_items;
    Table m_globals;
    std::unordered_map<std::u16string, int> m_implicitGlobals;
    std::unordered_map<std::u16string, size_t> m_dynamicIds;
    ProcScope* m_scope = nullptr;  // null in global code
    ClassScope* m_class = nullptr; // the class whose member is being compiled
    std::unordered_map<std::u16string, ClassScope> m_classes;
    std::unordered_map<const ast::ProcedureStmt*, Procedure*> m_memberProcs;
    std::unordered_map<const Procedure*, ProcScope> m_procScopes;  // kept for Execute and Eval
    bool m_fragment = false;        // compiling a text during the run
    FrameExtra* m_extra = nullptr;  // new locals of a text run inside a procedure go here
    std::vector<ArrayDecl>* m_extraArrays = nullptr;
    std::vector<std::pair<int, Variant>>* m_implicitConstants = nullptr;
    int extraSlot(const std::u16string& key);
    void compileDefinitions(const ast::Block& statements);
    std::vector<std::pair<bool, int>> m_withSlots;  // innermost last: (local, slot)
    SyntaxErrorInfo m_error;
};

// The folded (lower-case) spelling names are looked up by.
std::u16string foldName(std::u16string_view name);

}  // namespace qp::vbs
