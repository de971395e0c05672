#pragma once
// The syntax tree the parser builds. The compiler turns it into the executable tree; nothing
// here is evaluated directly.

#include "Variant.h"

#include <memory>
#include <string>
#include <vector>

namespace qp::vbs::ast {

struct Pos {
    int line = 0;
    int col = 0;
};

enum class Op : uint8_t {
    // Binary, loosest first.
    Imp, Eqv, Xor, Or, And, Eq, Ne, Lt, Gt, Le, Ge, Is, Concat, Add, Sub, Mod, IntDiv, Mul, Div, Pow,
    // Unary.
    Not, Neg, Plus,
};

enum class ExprKind : uint8_t {
    Literal,     // value
    Nothing,     // the Nothing keyword
    Name,        // name
    Member,      // object.name
    WithMember,  // .name inside With
    Call,        // target(args): a call or an index, decided by the compiler
    Unary,       // op a
    Binary,      // a op b
    Missing,     // an argument left out: f(1, , 3)
    New,         // New name
    Me,          // Me, inside a class
};

struct Expr {
    ExprKind kind;
    Pos pos;
    Variant value;
    std::u16string name;
    Op op = Op::Add;
    std::unique_ptr<Expr> a, b;  // operands; a is the object of Member and the target of Call
    std::vector<std::unique_ptr<Expr>> args;
    bool parenthesized = false;  // (x): passed by value even to a ByRef parameter
    bool isLiteral = false;      // a literal, or a sign applied to one (comparison rules)
    int depth = 1;               // height of this subtree (bounded by the parser)

    Expr(ExprKind k, Pos p) : kind(k), pos(p) {}
};
using ExprPtr = std::unique_ptr<Expr>;

enum class StmtKind : uint8_t {
    Call,        // expr: a call statement (Call keyword or not)
    Assign,      // target = value
    Set,         // Set target = value
    Dim,         // Dim / Public / Private names
    ReDim,
    Const,
    Erase,
    If,
    Select,
    For,
    ForEach,
    Do,
    While,
    Exit,
    With,
    OnError,
    Procedure,   // Sub or Function definition (global level only)
    Class,       // Class ... End Class (global level only)
    Stop,
    OptionExplicit,
};

struct Stmt {
    StmtKind kind;
    Pos pos;
    explicit Stmt(StmtKind k, Pos p) : kind(k), pos(p) {}
    virtual ~Stmt() = default;
};
using StmtPtr = std::unique_ptr<Stmt>;
using Block = std::vector<StmtPtr>;

struct CallStmt : Stmt {
    ExprPtr call;  // a Name, Member, WithMember or Call expression
    bool explicitCall = false;
    CallStmt(Pos p) : Stmt(StmtKind::Call, p) {}
};

struct AssignStmt : Stmt {
    ExprPtr target, value;
    AssignStmt(StmtKind k, Pos p) : Stmt(k, p) {}
};

struct DimItem {
    Pos pos;
    std::u16string name;
    bool isArray = false;
    std::vector<ExprPtr> bounds;  // upper bounds; empty with isArray for a dynamic array
};

struct DimStmt : Stmt {
    std::vector<DimItem> items;
    bool preserve = false;  // ReDim Preserve
    DimStmt(StmtKind k, Pos p) : Stmt(k, p) {}
};

struct ConstItem {
    Pos pos;
    std::u16string name;
    ExprPtr value;
};

struct ConstStmt : Stmt {
    std::vector<ConstItem> items;
    ConstStmt(Pos p) : Stmt(StmtKind::Const, p) {}
};

struct EraseStmt : Stmt {
    std::vector<ExprPtr> targets;
    EraseStmt(Pos p) : Stmt(StmtKind::Erase, p) {}
};

struct IfBranch {
    ExprPtr condition;  // null for Else
    Block body;
};

struct IfStmt : Stmt {
    std::vector<IfBranch> branches;
    IfStmt(Pos p) : Stmt(StmtKind::If, p) {}
};

struct CaseClause {
    std::vector<ExprPtr> values;  // empty for Case Else
    bool isElse = false;
    Block body;
};

struct SelectStmt : Stmt {
    ExprPtr subject;
    std::vector<CaseClause> cases;
    SelectStmt(Pos p) : Stmt(StmtKind::Select, p) {}
};

struct ForStmt : Stmt {
    ExprPtr counter;  // a Name
    ExprPtr from, to, step;
    Block body;
    ForStmt(Pos p) : Stmt(StmtKind::For, p) {}
};

struct ForEachStmt : Stmt {
    ExprPtr element;  // a Name
    ExprPtr group;
    Block body;
    ForEachStmt(Pos p) : Stmt(StmtKind::ForEach, p) {}
};

enum class LoopTest : uint8_t { None, WhileBefore, UntilBefore, WhileAfter, UntilAfter };

struct DoStmt : Stmt {
    LoopTest test = LoopTest::None;
    ExprPtr condition;
    Block body;
    DoStmt(StmtKind k, Pos p) : Stmt(k, p) {}  // Do or While ... Wend
};

enum class ExitKind : uint8_t { Do, For, Sub, Function, Property };

struct ExitStmt : Stmt {
    ExitKind what;
    ExitStmt(Pos p, ExitKind w) : Stmt(StmtKind::Exit, p), what(w) {}
};

struct WithStmt : Stmt {
    ExprPtr object;
    Block body;
    WithStmt(Pos p) : Stmt(StmtKind::With, p) {}
};

struct OnErrorStmt : Stmt {
    bool resumeNext;
    OnErrorStmt(Pos p, bool resume) : Stmt(StmtKind::OnError, p), resumeNext(resume) {}
};

struct Param {
    Pos pos;
    std::u16string name;
    bool byVal = false;
    bool isArray = false;  // written name()
};

enum class ProcKind : uint8_t { Sub, Function, PropertyGet, PropertyLet, PropertySet };

struct ProcedureStmt : Stmt {
    std::u16string name;
    Pos namePos;
    bool isFunction = false;  // has a result: Function or Property Get
    ProcKind procKind = ProcKind::Sub;
    bool isPublic = true;
    bool isDefault = false;
    std::vector<Param> params;
    Block body;
    ProcedureStmt(Pos p) : Stmt(StmtKind::Procedure, p) {}
};

struct ClassStmt : Stmt {
    std::u16string name;
    Pos namePos;
    std::vector<DimItem> fields;
    std::vector<bool> fieldPublic;  // per field
    std::vector<std::unique_ptr<ProcedureStmt>> members;
    ClassStmt(Pos p) : Stmt(StmtKind::Class, p) {}
};

struct SimpleStmt : Stmt {
    SimpleStmt(StmtKind k, Pos p) : Stmt(k, p) {}
};

struct Program {
    Block statements;  // global code, including Sub and Function definitions
    bool optionExplicit = false;
};

}  // namespace qp::vbs::ast
