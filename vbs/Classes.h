#pragma once
// Classes a script defines (Class ... End Class) and their instances. An instance is an
// Object like any host object, so hosts can hold and call it; inside the engine its members
// are reached directly, without the dispatch interface's argument copies.

#include "Nodes.h"
#include "Object.h"

#include <string>
#include <typeinfo>
#include <unordered_map>
#include <vector>

namespace qp::vbs {

struct ClassMember {
    std::u16string name;
    bool isPublic = true;
    int field = -1;             // a variable of the instance
    Procedure* get = nullptr;   // Sub, Function or Property Get
    Procedure* let = nullptr;   // Property Let
    Procedure* set = nullptr;   // Property Set
};

// Shared with the instances, which may outlive the program (a host keeping one): after the
// run only the name is used.
struct ClassDef final : RefCounted {
    std::u16string name;
    std::vector<ClassMember> members;
    std::unordered_map<std::u16string, int> byName;  // folded name -> member index
    int defaultMember = -1;
    int fieldCount = 0;
    std::vector<ArrayDecl> fieldArrays;
    Procedure* initialize = nullptr;
    Procedure* terminate = nullptr;

    int find(std::u16string_view name) const;  // -1 when there is no such member
};

class ClassInstance final : public Object, public Collectable {
public:
    ClassInstance(const ClassDef& def, Ref<RunLink> link);  // def must be held by a Ref
    ~ClassInstance() override;

    // Public members only; the id is the member's index + 1 (0 is the default member).
    DispId dispId(std::u16string_view name) override;
    Result<Variant> invoke(DispId id, InvokeKind kind, Args& args) override;
    std::u16string typeName() const override { return m_def.name; }

    const ClassDef& def() const { return m_def; }
    Variant& field(int slot) { return m_fields[size_t(slot)]; }
    Variant* fields() { return m_fields.data(); }
    Context* context() const { return m_link->ctx; }
    void initialized(bool ok) { m_terminated = !ok; }

    void traceValues(ValueVisitor& visitor) override;
    void clearValues() noexcept override;
    RefCounted& counted() noexcept override { return *this; }

protected:
    void lastReference() const noexcept override;

private:
    void finish() const noexcept;
    Ref<const ClassDef> m_keep;
    const ClassDef& m_def;
    Ref<RunLink> m_link;
    std::vector<Variant> m_fields;
    mutable bool m_terminated = false;
};

// GetRef("name"): a procedure as an object; calling the object calls the procedure.
class ProcRef final : public Object {
public:
    ProcRef(const Procedure& proc, Ref<RunLink> link) : m_proc(proc), m_link(std::move(link)) {}
    DispId dispId(std::u16string_view) override { return kDispIdUnknown; }
    Result<Variant> invoke(DispId id, InvokeKind kind, Args& args) override;
    const Procedure& procedure() const { return m_proc; }

private:
    const Procedure& m_proc;
    Ref<RunLink> m_link;
};

inline ProcRef* asProcRef(Object* o) noexcept
{
    return o && typeid(*o) == typeid(ProcRef) ? static_cast<ProcRef*>(o) : nullptr;
}

// The instance behind an object, or null for any other object.
inline ClassInstance* asInstance(Object* o) noexcept
{
    return o && typeid(*o) == typeid(ClassInstance) ? static_cast<ClassInstance*>(o) : nullptr;
}

// Runs a procedure (global or a class member with its Me) with the script's arguments:
// ByRef parameters refer to the argument's variable or element, the rest are copies.
// `extra` is a Property Let / Set's value, passed last.
Variant callProcedure(Context& ctx, const Procedure& p, ClassInstance* me, const ExprList& args,
                      const Variant* extra);

// Reads (or calls) and writes a member of an instance. `member` is an index into its class's
// members; -1 stands for the default member.
Variant getMember(Context& ctx, ClassInstance& obj, int member, const ExprList& args, NameRef name);
void putMember(Context& ctx, ClassInstance& obj, int member, const ExprList& args, Variant value, bool isSet,
               NameRef name);
// The value of an instance where a plain value is needed: its default member's.
Variant defaultValue(ClassInstance& obj);

// New ClassName.
class NewNode final : public Expr {
public:
    explicit NewNode(const ClassDef& def) : m_def(def) {}
    Variant eval(Context& ctx) const override;

private:
    const ClassDef& m_def;
};

// New ClassName where no class of that name was known when the text was compiled: a text
// run later may define it; otherwise 506 Class not defined.
class LateNewNode final : public Expr {
public:
    explicit LateNewNode(std::u16string n) : m_name(std::move(n)) {}
    Variant eval(Context& ctx) const override;
    std::u16string name() const override { return m_name; }

private:
    std::u16string m_name;
};

// New RegExp.
class NewRegExpNode final : public Expr {
public:
    Variant eval(Context& ctx) const override;
};

// Me.
class MeNode final : public Expr {
public:
    Variant eval(Context& ctx) const override;
    std::u16string name() const override { return u"Me"; }
};

// A variable of the instance, named inside its class.
class FieldNode final : public Expr {
public:
    FieldNode(int slot, std::u16string n) : m_slot(slot), m_name(std::move(n)) {}
    Variant eval(Context& ctx) const override;
    Variant* ref(Context& ctx, ArrayLocks*) const override;
    void assign(Context& ctx, Variant value, bool isSet) const override;
    std::u16string name() const override { return m_name; }

private:
    int m_slot;
    std::u16string m_name;
};

// v = x for a variable of the instance, named inside its class: stores straight into it.
class FieldAssignStmt final : public Stmt {
public:
    FieldAssignStmt(int slot, ExprPtr value, std::u16string n) : m_slot(slot), m_value(std::move(value)), m_name(std::move(n)) {}
    Flow exec(Context& ctx) const override
    {
        Variant v = m_value->eval(ctx);
        assignValue(ctx.frame->me->field(m_slot), std::move(v), m_name);
        return Flow::Normal;
    }

private:
    int m_slot;
    ExprPtr m_value;
    std::u16string m_name;
};

// A member procedure named inside its class without Me: a call on Me.
class SelfMemberNode final : public Expr {
public:
    SelfMemberNode(int member, std::u16string n, ExprList args)
        : m_member(member), m_name(std::move(n)), m_args(std::move(args)) {}
    Variant eval(Context& ctx) const override;
    void assign(Context& ctx, Variant value, bool isSet) const override;
    std::u16string name() const override { return m_name; }

private:
    int m_member;
    std::u16string m_name;
    ExprList m_args;
};

}  // namespace qp::vbs
