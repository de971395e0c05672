#pragma once
// The executable tree: expressions evaluate to Variants, statements run and report how
// control leaves them. Names are resolved before this tree is built, so variables are
// slot indices into the globals or the current frame.

#include "Runtime.h"

#include <memory>
#include <typeinfo>
#include <string>
#include <vector>

namespace qp::vbs {

struct Builtin;
struct Procedure;

class Expr {
public:
    virtual ~Expr() = default;
    virtual Variant eval(Context& ctx) const = 0;
    // The storage behind a variable or array element (for ByRef arguments, element writes,
    // ReDim); null for a plain value. Arrays on the way are locked in `locks` when given.
    virtual Variant* ref(Context& ctx, ArrayLocks* locks) const { return nullptr; }
    // The storage an in-place append writes (v = v & x): ref(), and also an instance's
    // public variable, which is not passed by reference.
    virtual Variant* appendTarget(Context& ctx) const { return ref(ctx, nullptr); }
    // Assignment: Let (isSet false) or Set.
    virtual void assign(Context& ctx, Variant value, bool isSet) const;
    // Run as a statement; the value is dropped.
    virtual void call(Context& ctx) const { eval(ctx); }
    // The value itself when the expression is a constant (read without copying).
    virtual const Variant* constant() const { return nullptr; }
    // The name used in error reports ("x", "Console.Foo"); empty when there is none.
    virtual std::u16string name() const { return {}; }

    bool literal = false;  // written as a constant (comparison rules)
};
using ExprPtr = std::unique_ptr<Expr>;
using ExprList = std::vector<ExprPtr>;

// The name an error report gives (an expression's name(), or a text), made only when an
// error needs it: building it on every call would cost more than the call.
class NameRef {
public:
    NameRef(const Expr& e) : m_expr(&e) {}
    NameRef(const std::u16string& text) : m_text(&text) {}
    std::u16string str() const { return m_expr ? m_expr->name() : *m_text; }
    operator std::u16string() const { return str(); }

private:
    const Expr* m_expr = nullptr;
    const std::u16string* m_text = nullptr;
};

class Stmt {
public:
    virtual ~Stmt() = default;
    virtual Flow exec(Context& ctx) const = 0;
    int line = 0;
    int col = 0;
};
using StmtPtr = std::unique_ptr<Stmt>;

// A statement list. It counts each statement for the interruption and the step budget,
// stamps a run-time error with the position of the statement it escaped from, and
// continues after it under On Error Resume Next.
class Block {
public:
    std::vector<StmtPtr> statements;
    bool mainText = true;  // false for Execute and Eval texts: errors take the host's position
                           // from the statement that ran the text
    Flow exec(Context& ctx) const;
};

// ---- values and variables (ExprNodes.cpp)

class LiteralNode : public Expr {
public:
    explicit LiteralNode(Variant v, bool isLiteral = true) : m_value(std::move(v)) { literal = isLiteral; }
    Variant eval(Context&) const override { return m_value; }
    const Variant* constant() const override { return &m_value; }
    const Variant& value() const { return m_value; }

private:
    Variant m_value;
};

// A constant: a literal with a name, which refuses assignment.
class ConstNode : public LiteralNode {
public:
    ConstNode(Variant v, std::u16string n) : LiteralNode(std::move(v)), m_name(std::move(n)) {}
    void assign(Context&, Variant, bool) const override;
    std::u16string name() const override { return m_name; }

private:
    std::u16string m_name;
};

class MissingNode : public Expr {
public:
    Variant eval(Context&) const override;
};

class VariableNode : public Expr {
public:
    explicit VariableNode(std::u16string n) : m_name(std::move(n)) {}
    Variant eval(Context& ctx) const override { return *ref(ctx, nullptr); }
    void assign(Context& ctx, Variant value, bool isSet) const override;
    std::u16string name() const override { return m_name; }

private:
    std::u16string m_name;
};

class GlobalVarNode final : public VariableNode {
public:
    GlobalVarNode(int slot, std::u16string n) : VariableNode(std::move(n)), m_slot(slot) {}
    Variant eval(Context& ctx) const override { return ctx.globals[m_slot]; }
    Variant* ref(Context& ctx, ArrayLocks*) const override { return &ctx.globals[m_slot]; }

private:
    int m_slot;
};

class LocalVarNode final : public VariableNode {
public:
    LocalVarNode(int slot, std::u16string n) : VariableNode(std::move(n)), m_slot(slot) {}
    Variant eval(Context& ctx) const override { return ctx.frame->locals[m_slot]; }
    Variant* ref(Context& ctx, ArrayLocks*) const override { return &ctx.frame->locals[m_slot]; }

private:
    int m_slot;
};

// A variable that Execute declared or made inside the running procedure call.
class ExtraVarNode final : public VariableNode {
public:
    ExtraVarNode(int index, std::u16string n) : VariableNode(std::move(n)), m_index(index) {}
    Variant eval(Context& ctx) const override { return ctx.frame->extra->values[size_t(m_index)]; }
    Variant* ref(Context& ctx, ArrayLocks*) const override { return &ctx.frame->extra->values[size_t(m_index)]; }

private:
    int m_index;
};

class ParamNode final : public VariableNode {
public:
    ParamNode(int index, std::u16string n) : VariableNode(std::move(n)), m_index(index) {}
    Variant eval(Context& ctx) const override { return *ctx.frame->params[m_index]; }
    Variant* ref(Context& ctx, ArrayLocks*) const override { return ctx.frame->params[m_index]; }

private:
    int m_index;
};

class NamedItemNode final : public Expr {
public:
    NamedItemNode(size_t index, std::u16string n) : m_index(index), m_name(std::move(n)) {}
    Variant eval(Context& ctx) const override;
    void assign(Context&, Variant, bool) const override;
    std::u16string name() const override { return m_name; }

private:
    size_t m_index;
    std::u16string m_name;
};

class ErrNode final : public Expr {
public:
    Variant eval(Context& ctx) const override;
    std::u16string name() const override { return u"Err"; }
};

// An argument written in parentheses, (x): its value, never the variable.
class ByValNode final : public Expr {
public:
    explicit ByValNode(ExprPtr inner) : m_inner(std::move(inner)) { literal = m_inner->literal; }
    Variant eval(Context& ctx) const override { return m_inner->eval(ctx); }
    std::u16string name() const override { return m_inner->name(); }

private:
    ExprPtr m_inner;
};

// An expression that can only fail: New of an undefined class, ".x" outside With.
class FailNode final : public Expr {
public:
    FailNode(int32_t number, std::u16string n) : m_number(number), m_name(std::move(n)) {}
    Variant eval(Context& ctx) const override;
    std::u16string name() const override { return m_name; }

private:
    int32_t m_number;
    std::u16string m_name;
};

// ---- operators (ExprNodes.cpp)

enum class BinOp : uint8_t { Add, Sub, Mul, Div, IntDiv, Mod, Pow, Concat, And, Or, Xor, Eqv, Imp, Is };
enum class CmpOp : uint8_t { Eq, Ne, Lt, Gt, Le, Ge };

ExprPtr makeBinary(BinOp op, ExprPtr a, ExprPtr b);
ExprPtr makeCompare(CmpOp op, ExprPtr a, ExprPtr b);
ExprPtr makeNegate(ExprPtr a);
ExprPtr makeNot(ExprPtr a);

// ---- calls and members (CallNodes.cpp)

class CallProcNode final : public Expr {
public:
    CallProcNode(const Procedure& proc, ExprList args) : m_proc(proc), m_args(std::move(args)) {}
    Variant eval(Context& ctx) const override;
    std::u16string name() const override;

private:
    const Procedure& m_proc;
    ExprList m_args;
};

class CallBuiltinNode final : public Expr {
public:
    CallBuiltinNode(const Builtin& fn, ExprList args) : m_fn(fn), m_args(std::move(args)) {}
    Variant eval(Context& ctx) const override;
    void assign(Context&, Variant, bool) const override;
    std::u16string name() const override;

private:
    const Builtin& m_fn;
    ExprList m_args;
};

// target(args) where target holds an array (an element) or an object (its default member).
class IndexNode final : public Expr {
public:
    IndexNode(ExprPtr target, ExprList args) : m_target(std::move(target)), m_args(std::move(args)) {}
    Variant eval(Context& ctx) const override;
    Variant* ref(Context& ctx, ArrayLocks* locks) const override;
    void assign(Context& ctx, Variant value, bool isSet) const override;
    void call(Context& ctx) const override;
    std::u16string name() const override { return m_target->name(); }

private:
    Variant* element(Context& ctx, Variant& arrayVar, bool forWrite) const;
    ExprPtr m_target;
    ExprList m_args;
};

// object.name [args]. The object comes from an expression, or from a With block's slot.
class MemberNode final : public Expr {
public:
    MemberNode(ExprPtr object, std::u16string member, ExprList args, bool parens, bool viaMe = false);
    Variant eval(Context& ctx) const override;
    void assign(Context& ctx, Variant value, bool isSet) const override;
    void call(Context& ctx) const override;
    Variant* appendTarget(Context& ctx) const override;
    std::u16string name() const override;

private:
    Object& target(Context& ctx, Variant& holder, int32_t& id) const;
    const Variant& objectValue(Context& ctx, Variant& holder) const;
    int classMember(ClassInstance& obj) const;
    int32_t memberId(Object& obj) const;
    ExprPtr m_object;
    std::u16string m_member;
    ExprList m_args;
    bool m_parens;
    bool m_viaMe;
    bool m_borrow = false;  // see objectValue
    mutable const ClassDef* m_class = nullptr;  // the last class seen, and its member's index
    mutable int m_classMember = -1;
    mutable const std::type_info* m_idType = nullptr;  // the engine's own objects: kind and id
    mutable int32_t m_id = -1;
};

// A name the script does not define: a member of the context item, or else an implicit
// variable (or error 500 under Option Explicit).
class DynamicNameNode final : public Expr {
public:
    // Where the implicit variable lives: a global, a local of the procedure, or a variable
    // that Execute made in the running call.
    enum class Storage : uint8_t { Global, Local, Extra };
    DynamicNameNode(std::u16string n, size_t id, Storage storage, int slot, ExprList args, bool hasArgs,
                    bool explicitCall)
        : m_name(std::move(n)), m_id(id), m_storage(storage), m_slot(slot), m_args(std::move(args)),
          m_hasArgs(hasArgs), m_explicitCall(explicitCall) {}
    Variant eval(Context& ctx) const override;
    Variant* ref(Context& ctx, ArrayLocks* locks) const override;
    void assign(Context& ctx, Variant value, bool isSet) const override;
    void call(Context& ctx) const override;
    std::u16string name() const override;

private:
    Variant& variable(Context& ctx) const;
    DynamicName* member(Context& ctx) const;
    std::u16string m_name;
    size_t m_id;
    Storage m_storage;
    int m_slot;
    ExprList m_args;
    bool m_hasArgs;
    bool m_explicitCall;
};

// The element of the array in `var` named by the index arguments, made unshared first when
// it is to be written or passed by reference.
Variant* arrayElement(Context& ctx, Variant& var, const ExprList& args, bool forWrite, ArrayLocks* locks);

// Invokes a host object's member with the script's arguments, ByRef where the argument is
// a variable or an array element. resultUsed is false for a call statement, whose result
// the script throws away.
Variant invokeMember(Context& ctx, Object& obj, int32_t id, InvokeKind kind, const ExprList& args,
                     const Variant* extra, NameRef nameForErrors, bool resultUsed = true);

// ---- statements (StmtNodes.cpp)

class ExprStmt final : public Stmt {
public:
    explicit ExprStmt(ExprPtr e) : m_expr(std::move(e)) {}
    Flow exec(Context& ctx) const override;

private:
    ExprPtr m_expr;
};

class AssignStmt final : public Stmt {
public:
    AssignStmt(ExprPtr target, ExprPtr value, bool isSet)
        : m_target(std::move(target)), m_value(std::move(value)), m_set(isSet) {}
    Flow exec(Context& ctx) const override;

private:
    ExprPtr m_target, m_value;
    bool m_set;
};

// The general case of a Let assignment into a variable: default values of objects, arrays.
void assignSlow(Variant& dst, Variant value, const std::u16string& name);
// Plain values are moved straight in; objects and arrays take the slow path.
inline void assignValue(Variant& dst, Variant value, const std::u16string& name)
{
    if (value.isObject() || value.isArray() || dst.isArray())
        assignSlow(dst, std::move(value), name);
    else
        dst = std::move(value);
}

// v = x for a variable known at compile time: stores straight into its slot.
enum class SlotKind : uint8_t { Global, Local, Param };

template <SlotKind kind>
class SlotAssignStmt final : public Stmt {
public:
    SlotAssignStmt(int slot, ExprPtr value, std::u16string n) : m_slot(slot), m_value(std::move(value)), m_name(std::move(n)) {}
    Flow exec(Context& ctx) const override
    {
        Variant v = m_value->eval(ctx);
        Variant& dst = kind == SlotKind::Global ? ctx.globals[m_slot]
            : kind == SlotKind::Local           ? ctx.frame->locals[m_slot]
                                                : *ctx.frame->params[m_slot];
        assignValue(dst, std::move(v), m_name);
        return Flow::Normal;
    }

private:
    int m_slot;
    ExprPtr m_value;
    std::u16string m_name;
};

// v = v & a [& b ...] where v is a variable, an array element or a field: the pieces are
// evaluated first, then appended in place when v's text is its own, so building a long text
// piece by piece takes linear time. Anything else (v holds an object, a piece is an object,
// v is a host property) takes the ordinary read, concatenate and assign.
class AppendStmt final : public Stmt {
public:
    AppendStmt(ExprPtr target, ExprList pieces) : m_target(std::move(target)), m_pieces(std::move(pieces)) {}
    Flow exec(Context& ctx) const override;

private:
    ExprPtr m_target;
    ExprList m_pieces;
};

class ReDimStmt final : public Stmt {
public:
    struct Item {
        ExprPtr target;
        ExprList bounds;
    };
    ReDimStmt(std::vector<Item> items, bool preserve) : m_items(std::move(items)), m_preserve(preserve) {}
    Flow exec(Context& ctx) const override;

private:
    std::vector<Item> m_items;
    bool m_preserve;
};

class EraseStmt final : public Stmt {
public:
    explicit EraseStmt(ExprList targets) : m_targets(std::move(targets)) {}
    Flow exec(Context& ctx) const override;

private:
    ExprList m_targets;
};

class IfStmt final : public Stmt {
public:
    struct Branch {
        ExprPtr condition;  // null for Else
        Block body;
    };
    std::vector<Branch> branches;
    Flow exec(Context& ctx) const override;
};

class SelectStmt final : public Stmt {
public:
    struct Case {
        ExprList values;  // empty: Case Else
        Block body;
    };
    ExprPtr subject;
    std::vector<Case> cases;
    Flow exec(Context& ctx) const override;
};

class ForStmt final : public Stmt {
public:
    ExprPtr counter, from, to, step;
    Block body;
    Flow exec(Context& ctx) const override;

private:
    Flow integerLoop(Context& ctx, Variant& counterVar, int64_t end, int64_t step) const;
};

class ForEachStmt final : public Stmt {
public:
    ExprPtr element, group;
    Block body;
    Flow exec(Context& ctx) const override;
};

class DoStmt final : public Stmt {
public:
    enum class Test : uint8_t { None, WhileBefore, UntilBefore, WhileAfter, UntilAfter };
    Test test = Test::None;
    ExprPtr condition;
    Block body;
    Flow exec(Context& ctx) const override;
};

class ExitStmt final : public Stmt {
public:
    explicit ExitStmt(Flow f) : m_flow(f) {}
    Flow exec(Context& ctx) const override;

private:
    Flow m_flow;
};

class WithStmt final : public Stmt {
public:
    ExprPtr slot;    // the hidden variable that holds the object
    ExprPtr object;
    Block body;
    Flow exec(Context& ctx) const override;
};

class OnErrorStmt final : public Stmt {
public:
    explicit OnErrorStmt(bool resumeNext) : m_resumeNext(resumeNext) {}
    Flow exec(Context& ctx) const override;

private:
    bool m_resumeNext;
};

class NoopStmt final : public Stmt {
public:
    Flow exec(Context&) const override { return Flow::Normal; }
};

}  // namespace qp::vbs
