// Calls of procedures, built-ins and host objects; array elements; names the script does
// not define.
#include "Builtins.h"
#include "Classes.h"
#include "ScriptObjects.h"
#include "Convert.h"
#include "ErrObject.h"
#include "Nodes.h"
#include "Object.h"

namespace qp::vbs {

namespace {

[[noreturn]] void raiseFrom(const ErrorInfo& info)
{
    throw ScriptException{info, {}};
}

Variant assignedValue(Variant value, bool isSet, NameRef name)
{
    if (isSet) {
        if (!value.isObject())
            raise(err::ObjectRequired, name);
        return value;
    }
    return value.isObject() ? valueOf(value) : std::move(value);
}

Object& objectIn(const Variant& v, NameRef name)
{
    if (!v.isObject())
        raise(err::ObjectRequired, name);
    if (!v.object())
        raise(err::ObjectNotSet, name);
    return *v.object();
}

}  // namespace

// The element of the array in `var` named by the index arguments.
Variant* arrayElement(Context& ctx, Variant& var, const ExprList& args, bool forWrite, ArrayLocks* locks)
{
    Array* arr = var.array();
    size_t dims = arr->dimensions();
    if (args.size() != dims)
        raise(err::SubscriptRange);
    size_t flat = 0, scale = 1;
    for (size_t i = 0; i < dims; ++i) {
        Variant index = args[i]->eval(ctx);
        if (index.isNull())
            raise(err::TypeMismatch);
        int32_t n = toLng(index);
        if (n < 0 || size_t(n) >= arr->count(i))
            raise(err::SubscriptRange);
        flat += size_t(n) * scale;
        scale *= arr->count(i);
    }
    // The index expressions may have changed the variable: look again.
    if (!var.isArray() || var.array() != arr || arr->dimensions() != dims || flat >= arr->size())
        raise(err::SubscriptRange);
    if (forWrite || locks)
        arr = &writableArray(var);
    if (locks)
        locks->add(arr);
    return &arr->elements()[flat];
}

Variant invokeMember(Context& ctx, Object& obj, int32_t id, InvokeKind kind, const ExprList& args,
                     const Variant* extra, NameRef nameForErrors, bool resultUsed)
{
    if (ClassInstance* inst = asInstance(&obj)) {
        Ref<Object> keep(&obj);
        int member = id == kDispIdValue ? -1 : int(id) - 1;
        if (kind == InvokeKind::PropertyPut || kind == InvokeKind::PropertyPutRef) {
            putMember(ctx, *inst, member, args, *extra, kind == InvokeKind::PropertyPutRef, nameForErrors);
            return Variant();
        }
        return getMember(ctx, *inst, member, args, nameForErrors);
    }
    if (ProcRef* proc = asProcRef(&obj)) {
        if (id != kDispIdValue || kind == InvokeKind::PropertyPut || kind == InvokeKind::PropertyPutRef)
            raise(err::NoSuchMember, nameForErrors);
        Ref<Object> keep(&obj);
        return callProcedure(ctx, proc->procedure(), nullptr, args, nullptr);
    }
    ArrayLocks locks;
    size_t n = args.size() + (extra ? 1 : 0);
    // Most calls have a few arguments: no allocation for them.
    Variant tempsInline[4];
    ArgSlot slotsInline[4];
    std::vector<Variant> tempsMany;
    std::vector<ArgSlot> slotsMany;
    Variant* temps = tempsInline;
    ArgSlot* slotArray = slotsInline;
    if (n > 4) {
        tempsMany.resize(n);
        slotsMany.resize(n);
        temps = tempsMany.data();
        slotArray = slotsMany.data();
    }
    std::span<ArgSlot> slots(slotArray, n);
    for (size_t i = 0; i < args.size(); ++i) {
        if (Variant* r = args[i]->ref(ctx, &locks)) {
            slots[i] = {r, true};
        } else {
            temps[i] = args[i]->eval(ctx);
            slots[i] = {&temps[i], false};
        }
    }
    if (extra) {
        temps[n - 1] = *extra;
        slots[n - 1] = {&temps[n - 1], false};
    }
    Args a(slots);
    a.setResultUsed(resultUsed);
    Ref<Object> keep(&obj);  // the call may drop the script's last reference
    Result<Variant> r = obj.invoke(id, kind, a);
    if (!r)
        raiseFrom(r.error());
    return std::move(r).value();
}

// ---- script procedures

Variant CallProcNode::eval(Context& ctx) const
{
    // A member procedure calling itself (or another member) keeps its Me.
    return callProcedure(ctx, m_proc, m_proc.owner ? ctx.frame->me : nullptr, m_args, nullptr);
}

std::u16string CallProcNode::name() const
{
    return m_proc.name;
}

// ---- built-in functions

Variant CallBuiltinNode::eval(Context& ctx) const
{
    size_t n = m_args.size();
    if (n < m_fn.minArgs || n > m_fn.maxArgs)
        raise(err::WrongArgs, std::u16string(m_fn.name));
    Variant inline_[4];
    std::vector<Variant> many;
    Variant* values = inline_;
    if (n > 4) {
        many.resize(n);
        values = many.data();
    }
    for (size_t i = 0; i < n; ++i)
        values[i] = m_args[i]->eval(ctx);
    try {
        return m_fn.fn(ctx, BuiltinArgs(values, n));
    } catch (ScriptException& e) {
        // Errors of a built-in name it in the report: "Type mismatch: 'CLng'"; those of a
        // text that Execute or Eval ran are the text's own.
        if (e.name.empty() && m_fn.fn != &builtinExecute && m_fn.fn != &builtinExecuteGlobal && m_fn.fn != &builtinEval)
            e.name = std::u16string(m_fn.name);
        throw;
    }
}

void CallBuiltinNode::assign(Context&, Variant, bool) const
{
    raise(err::IllegalAssignment, std::u16string(m_fn.name));
}

std::u16string CallBuiltinNode::name() const
{
    return std::u16string(m_fn.name);
}

// ---- elements and default members

Variant IndexNode::eval(Context& ctx) const
{
    Variant holder;
    Variant* p = m_target->ref(ctx, nullptr);
    if (!p) {
        holder = m_target->eval(ctx);
        p = &holder;
    }
    if (p->isArray())
        return *arrayElement(ctx, *p, m_args, false, nullptr);
    if (p->isObject())
        return invokeMember(ctx, objectIn(*p, *this), kDispIdValue, InvokeKind::Method, m_args, nullptr, *this);
    raise(err::TypeMismatch, name());
}

Variant* IndexNode::ref(Context& ctx, ArrayLocks* locks) const
{
    Variant* p = m_target->ref(ctx, locks);
    if (!p || !p->isArray())
        return nullptr;
    return arrayElement(ctx, *p, m_args, true, locks);
}

void IndexNode::assign(Context& ctx, Variant value, bool isSet) const
{
    Variant holder;
    Variant* p = m_target->ref(ctx, nullptr);
    if (!p) {
        holder = m_target->eval(ctx);
        p = &holder;
    }
    if (p->isArray()) {
        Variant v = assignedValue(std::move(value), isSet, *this);
        Variant* e = arrayElement(ctx, *p, m_args, true, nullptr);
        storeVariable(*e, std::move(v));
        return;
    }
    if (p->isObject()) {
        InvokeKind kind = isSet ? InvokeKind::PropertyPutRef : InvokeKind::PropertyPut;
        Variant v = isSet ? std::move(value) : assignedValue(std::move(value), false, *this);
        invokeMember(ctx, objectIn(*p, *this), kDispIdValue, kind, m_args, &v, *this);
        return;
    }
    raise(err::TypeMismatch, name());
}

void IndexNode::call(Context& ctx) const
{
    eval(ctx);
}

// ---- members of objects

MemberNode::MemberNode(ExprPtr object, std::u16string member, ExprList args, bool parens, bool viaMe)
    : m_object(std::move(object)), m_member(std::move(member)), m_args(std::move(args)), m_parens(parens),
      m_viaMe(viaMe)
{
    const auto& target = *m_object;
    m_borrow = typeid(target) == typeid(LocalVarNode);
    for (const ExprPtr& a : m_args)
        if (!a->constant())
            m_borrow = false;
}

// The object whose member is used, kept alive for the call. A procedure's own variable
// changes during a call only when it is passed to it by reference (nothing else reaches
// another procedure's variables), so with constant arguments the variable keeps its object
// for the whole call and no reference of our own is taken.
const Variant& MemberNode::objectValue(Context& ctx, Variant& holder) const
{
    if (m_borrow)
        return *m_object->ref(ctx, nullptr);
    holder = m_object->eval(ctx);
    return holder;
}

Object& MemberNode::target(Context& ctx, Variant& holder, int32_t& id) const
{
    holder = m_object->eval(ctx);
    Object& obj = objectIn(holder, *m_object);
    id = obj.dispId(m_member);
    if (id == kDispIdUnknown)
        raise(err::NoSuchMember, name());
    return obj;
}

// The member of a script class instance; private members only through Me. The index is
// remembered for the next instance of the same class.
int MemberNode::classMember(ClassInstance& obj) const
{
    if (&obj.def() == m_class)
        return m_classMember;
    int m = obj.def().find(m_member);
    if (m < 0 || (!obj.def().members[size_t(m)].isPublic && !m_viaMe))
        raise(err::NoSuchMember, name());
    m_class = &obj.def();
    m_classMember = m;
    return m;
}

// The member's id. The engine's own objects have fixed member tables, so the id found for
// one is kept for the next object of the same kind; host objects are asked every time.
int32_t MemberNode::memberId(Object& obj) const
{
    const std::type_info& type = typeid(obj);
    if (m_idType == &type)
        return m_id;
    int32_t id = obj.dispId(m_member);
    if (id == kDispIdUnknown)
        raise(err::NoSuchMember, name());
    if (dynamic_cast<BuiltinObject*>(&obj)) {
        m_idType = &type;
        m_id = id;
    }
    return id;
}

Variant MemberNode::eval(Context& ctx) const
{
    Variant holder;
    Object& obj = objectIn(objectValue(ctx, holder), *m_object);
    if (ClassInstance* inst = asInstance(&obj))
        return getMember(ctx, *inst, classMember(*inst), m_args, *this);
    int32_t id = memberId(obj);
    InvokeKind kind = (m_parens || !m_args.empty()) ? InvokeKind::Method : InvokeKind::PropertyGet;
    return invokeMember(ctx, obj, id, kind, m_args, nullptr, *this);
}

void MemberNode::call(Context& ctx) const
{
    Variant holder;
    Object& obj = objectIn(objectValue(ctx, holder), *m_object);
    if (ClassInstance* inst = asInstance(&obj)) {
        getMember(ctx, *inst, classMember(*inst), m_args, *this);
        return;
    }
    invokeMember(ctx, obj, memberId(obj), InvokeKind::Method, m_args, nullptr, *this, false);
}

void MemberNode::assign(Context& ctx, Variant value, bool isSet) const
{
    Variant holder;
    Object& obj = objectIn(objectValue(ctx, holder), *m_object);
    if (ClassInstance* inst = asInstance(&obj)) {
        putMember(ctx, *inst, classMember(*inst), m_args, std::move(value), isSet, *this);
        return;
    }
    int32_t id = memberId(obj);
    Variant v = assignedValue(std::move(value), isSet, *this);
    invokeMember(ctx, obj, id, isSet ? InvokeKind::PropertyPutRef : InvokeKind::PropertyPut, m_args, &v, *this);
}

// Appending in place to a public variable of an instance (obj.s = obj.s & x).
Variant* MemberNode::appendTarget(Context& ctx) const
{
    if (!m_args.empty())
        return nullptr;
    Variant holder = m_object->eval(ctx);
    if (!holder.isObject())
        return nullptr;
    ClassInstance* inst = asInstance(holder.object());
    if (!inst)
        return nullptr;
    const ClassMember& m = inst->def().members[size_t(classMember(*inst))];
    return m.field >= 0 ? &inst->field(m.field) : nullptr;
}

std::u16string MemberNode::name() const
{
    std::u16string object = m_object->name();
    return object.empty() ? m_member : object + u"." + m_member;
}

// ---- names the script does not define

DynamicName* DynamicNameNode::member(Context& ctx) const
{
    DynamicName& d = ctx.dynamicName(m_id);
    return d.state == DynamicName::State::Member || d.state == DynamicName::State::Procedure ? &d : nullptr;
}

Variant& DynamicNameNode::variable(Context& ctx) const
{
    if (ctx.optionExplicit)
        raise(err::Undefined, name());
    switch (m_storage) {
    case Storage::Local: return ctx.frame->locals[m_slot];
    case Storage::Extra: return ctx.frame->extra->values[size_t(m_slot)];
    default: return ctx.globals[size_t(m_slot)];
    }
}

Variant DynamicNameNode::eval(Context& ctx) const
{
    if (DynamicName* d = member(ctx)) {
        if (d->procedure)
            return callProcedure(ctx, *d->procedure, nullptr, m_args, nullptr);
        InvokeKind kind = m_hasArgs ? InvokeKind::Method : InvokeKind::PropertyGet;
        return invokeMember(ctx, *d->object, d->dispId, kind, m_args, nullptr, *this);
    }
    Variant& v = variable(ctx);
    if (!m_hasArgs)
        return v;
    if (v.isArray())
        return *arrayElement(ctx, v, m_args, false, nullptr);
    if (v.isObject())
        return invokeMember(ctx, objectIn(v, *this), kDispIdValue, InvokeKind::Method, m_args, nullptr, *this);
    raise(m_explicitCall ? err::NotDefined : err::TypeMismatch, name());
}

void DynamicNameNode::call(Context& ctx) const
{
    if (DynamicName* d = member(ctx)) {
        if (d->procedure) {
            callProcedure(ctx, *d->procedure, nullptr, m_args, nullptr);
            return;
        }
        invokeMember(ctx, *d->object, d->dispId, InvokeKind::Method, m_args, nullptr, *this, false);
        return;
    }
    Variant& v = variable(ctx);
    if (v.isObject() && v.object()) {
        invokeMember(ctx, *v.object(), kDispIdValue, InvokeKind::Method, m_args, nullptr, *this, false);
        return;
    }
    raise(m_explicitCall ? err::NotDefined : err::TypeMismatch, name());
}

Variant* DynamicNameNode::ref(Context& ctx, ArrayLocks* locks) const
{
    if (member(ctx))
        return nullptr;
    Variant& v = variable(ctx);
    if (!m_hasArgs)
        return &v;
    return v.isArray() ? arrayElement(ctx, v, m_args, true, locks) : nullptr;
}

void DynamicNameNode::assign(Context& ctx, Variant value, bool isSet) const
{
    if (DynamicName* d = member(ctx)) {
        if (d->procedure)
            raise(err::IllegalAssignment, name());
        Variant v = assignedValue(std::move(value), isSet, *this);
        InvokeKind kind = isSet ? InvokeKind::PropertyPutRef : InvokeKind::PropertyPut;
        invokeMember(ctx, *d->object, d->dispId, kind, m_args, &v, *this);
        return;
    }
    Variant& var = variable(ctx);
    if (m_hasArgs && var.isObject()) {
        // x(args) = v on an object: its default member.
        Variant holder = var;
        Variant v = isSet ? std::move(value) : assignedValue(std::move(value), false, *this);
        invokeMember(ctx, objectIn(holder, *this), kDispIdValue, isSet ? InvokeKind::PropertyPutRef : InvokeKind::PropertyPut,
                     m_args, &v, *this);
        return;
    }
    Variant v = assignedValue(std::move(value), isSet, *this);
    if (!m_hasArgs) {
        storeVariable(var, std::move(v));
        return;
    }
    if (!var.isArray())
        raise(err::TypeMismatch, name());
    storeVariable(*arrayElement(ctx, var, m_args, true, nullptr), std::move(v));
}

std::u16string DynamicNameNode::name() const
{
    return m_name;
}

}  // namespace qp::vbs
