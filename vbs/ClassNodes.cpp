// Script classes: instances, their members, New, Me, Class_Initialize and Class_Terminate.
#include "Classes.h"

#include "Convert.h"
#include "ScriptObjects.h"
#include "Text.h"

namespace qp::vbs {

namespace {

const ExprList kNoArgs;

// An argument a host passed through the dispatch interface, as an expression: its slot is
// the variable a ByRef parameter refers to.
class SlotNode final : public Expr {
public:
    explicit SlotNode(Variant* slot) : m_slot(slot) {}
    Variant eval(Context&) const override { return *m_slot; }
    Variant* ref(Context&, ArrayLocks*) const override { return m_slot; }

private:
    Variant* m_slot;
};

// A host's call into the script was interrupted.
ErrorInfo abortedInfo()
{
    return ErrorInfo{err::Aborted, std::u16string(kRuntimeSource), u"Operation aborted"};
}

Variant letValue(Variant value)
{
    return value.isObject() ? valueOf(value) : std::move(value);
}

}  // namespace

int ClassDef::find(std::u16string_view name) const
{
    std::u16string key(name);
    for (char16_t& c : key)
        c = foldCase(c);
    auto it = byName.find(key);
    return it == byName.end() ? -1 : it->second;
}

ClassInstance::ClassInstance(const ClassDef& def, Ref<RunLink> link)
    : m_keep(&def), m_def(def), m_link(std::move(link)), m_fields(size_t(def.fieldCount))
{
}

ClassInstance::~ClassInstance() = default;

void ClassInstance::traceValues(ValueVisitor& visitor)
{
    for (const Variant& v : m_fields)
        visitor.visit(v);
}

void ClassInstance::clearValues() noexcept
{
    for (Variant& v : m_fields)
        v.clear();
}

DispId ClassInstance::dispId(std::u16string_view name)
{
    if (!m_link->ctx)
        return kDispIdUnknown;
    int m = m_def.find(name);
    if (m < 0 || !m_def.members[size_t(m)].isPublic)
        return kDispIdUnknown;
    return DispId(m + 1);
}

Result<Variant> ClassInstance::invoke(DispId id, InvokeKind kind, Args& args)
{
    Context* ctx = m_link->ctx;
    if (!ctx)
        return runtimeErrorInfo(err::ObjectRequired);
    int member = id == kDispIdValue ? -1 : int(id) - 1;
    if (member >= int(m_def.members.size()) || member < -1)
        return runtimeErrorInfo(err::NoSuchMember);
    Ref<Object> keep(this);
    bool put = kind == InvokeKind::PropertyPut || kind == InvokeKind::PropertyPutRef;
    size_t n = args.size() - (put && !args.empty() ? 1 : 0);
    ExprList list;
    for (size_t i = 0; i < n; ++i)
        list.push_back(std::make_unique<SlotNode>(args.slot(i)));
    std::u16string name = member < 0 ? m_def.name : m_def.members[size_t(member)].name;
    try {
        if (put) {
            if (args.empty())
                return runtimeErrorInfo(err::WrongArgs);
            putMember(*ctx, *this, member, list, args[args.size() - 1], kind == InvokeKind::PropertyPutRef, name);
            return Variant();
        }
        return getMember(*ctx, *this, member, list, name);
    } catch (const ScriptException& e) {
        return e.info;
    } catch (const InterruptException&) {
        return abortedInfo();
    }
}

Result<Variant> ProcRef::invoke(DispId id, InvokeKind kind, Args& args)
{
    Context* ctx = m_link->ctx;
    if (!ctx)
        return runtimeErrorInfo(err::ObjectRequired);
    if (id != kDispIdValue || kind == InvokeKind::PropertyPut || kind == InvokeKind::PropertyPutRef)
        return runtimeErrorInfo(err::NoSuchMember);
    ExprList list;
    for (size_t i = 0; i < args.size(); ++i)
        list.push_back(std::make_unique<SlotNode>(args.slot(i)));
    try {
        return callProcedure(*ctx, m_proc, nullptr, list, nullptr);
    } catch (const ScriptException& e) {
        return e.info;
    } catch (const InterruptException&) {
        return abortedInfo();
    }
}

namespace {

// Releasing an instance may release the instances it holds, and so on down a long chain:
// past a small depth the releases wait in a list that the outermost release works off, so
// the machine stack stays flat whatever the script built.
constexpr int kReleaseDepth = 32;
thread_local int t_releaseDepth = 0;
thread_local std::vector<const ClassInstance*> t_pendingReleases;

}  // namespace

void ClassInstance::lastReference() const noexcept
{
    if (t_releaseDepth >= kReleaseDepth) {
        try {
            t_pendingReleases.push_back(this);
            return;
        } catch (...) {
            // No room to wait: release now.
        }
    }
    ++t_releaseDepth;
    finish();
    if (t_releaseDepth == 1) {
        while (!t_pendingReleases.empty()) {
            const ClassInstance* next = t_pendingReleases.back();
            t_pendingReleases.pop_back();
            next->finish();
        }
    }
    --t_releaseDepth;
}

// Class_Terminate runs once, when the last reference goes, while the run that made the
// instance goes on. The instance is referenced again for the call; errors in it end it and
// are dropped, as nothing in the script is there to receive them.
void ClassInstance::finish() const noexcept
{
    auto* self = const_cast<ClassInstance*>(this);
    Context* ctx = m_link->ctx;
    if (m_terminated || !m_def.terminate || !ctx) {
        delete this;
        return;
    }
    m_terminated = true;
    addRef();
    try {
        Frame* frame = ctx->frame;
        callProcedure(*ctx, *m_def.terminate, self, kNoArgs, nullptr);
        ctx->frame = frame;
    } catch (...) {
    }
    release();
}

Variant callProcedure(Context& ctx, const Procedure& p, ClassInstance* me, const ExprList& args,
                      const Variant* extra)
{
    size_t n = args.size() + (extra ? 1 : 0);
    if (n != p.byRef.size())
        raise(err::WrongArgs, p.name);
    ArrayLocks locks;
    FrameScope frame(ctx, size_t(p.localCount), n);
    // Arguments are evaluated in the caller's frame.
    for (size_t i = 0; i < args.size(); ++i) {
        Variant* r = p.byRef[i] ? args[i]->ref(ctx, &locks) : nullptr;
        if (!r) {
            storeVariable(frame.locals()[i], args[i]->eval(ctx));
            r = &frame.locals()[i];
        }
        frame.params()[i] = r;
    }
    if (extra) {
        frame.locals()[n - 1] = *extra;
        frame.params()[n - 1] = &frame.locals()[n - 1];
    }
    frame.enter(&p, me);
    if (!p.arrays.empty())
        createArrays(p.arrays, frame.locals(), ctx.limits.maxArrayElements);
    try {
        p.body->exec(ctx);
    } catch (ScriptException& e) {
        leaveProcedure(e, p.displayName);
        throw;
    }
    if (p.resultSlot < 0)
        return Variant();
    return std::move(frame.locals()[p.resultSlot]);
}

namespace {

const ClassMember& memberAt(ClassInstance& obj, int& member, NameRef name)
{
    if (member < 0)
        member = obj.def().defaultMember;
    if (member < 0)
        raise(err::NoSuchMember, name);
    return obj.def().members[size_t(member)];
}

}  // namespace

Variant getMember(Context& ctx, ClassInstance& obj, int member, const ExprList& args, NameRef name)
{
    const ClassMember& m = memberAt(obj, member, name);
    if (m.field >= 0) {
        Variant& f = obj.field(m.field);
        if (args.empty())
            return f;
        if (f.isArray())
            return *arrayElement(ctx, f, args, false, nullptr);
        if (f.isObject()) {
            Variant holder = f;
            if (!holder.object())
                raise(err::ObjectNotSet, name);
            return invokeMember(ctx, *holder.object(), kDispIdValue, InvokeKind::Method, args, nullptr, name);
        }
        raise(err::TypeMismatch, name);
    }
    if (!m.get)
        raise(err::WrongArgs, name);
    return callProcedure(ctx, *m.get, &obj, args, nullptr);
}

void putMember(Context& ctx, ClassInstance& obj, int member, const ExprList& args, Variant value, bool isSet,
               NameRef name)
{
    const ClassMember& m = memberAt(obj, member, name);
    if (isSet && !value.isObject())
        raise(err::ObjectRequired, name);
    if (m.field >= 0) {
        Variant v = isSet ? std::move(value) : letValue(std::move(value));
        Variant& f = obj.field(m.field);
        if (args.empty()) {
            storeVariable(f, std::move(v));
            return;
        }
        if (f.isArray()) {
            storeVariable(*arrayElement(ctx, f, args, true, nullptr), std::move(v));
            return;
        }
        if (f.isObject()) {
            Variant holder = f;
            if (!holder.object())
                raise(err::ObjectNotSet, name);
            invokeMember(ctx, *holder.object(), kDispIdValue, isSet ? InvokeKind::PropertyPutRef : InvokeKind::PropertyPut,
                         args, &v, name);
            return;
        }
        raise(err::TypeMismatch, name);
    }
    const Procedure* p = isSet ? m.set : m.let;
    if (!p)
        raise(err::WrongArgs, name);
    Variant v = isSet ? std::move(value) : letValue(std::move(value));
    callProcedure(ctx, *p, &obj, args, &v);
}

Variant defaultValue(ClassInstance& obj)
{
    Context* ctx = obj.context();
    if (!ctx)
        raise(err::ObjectRequired);
    Ref<Object> keep(&obj);
    Variant v = getMember(*ctx, obj, -1, kNoArgs, obj.def().name);
    if (v.isObject())
        return valueOf(v);
    return v;
}

Variant NewNode::eval(Context& ctx) const
{
    auto obj = makeRef<ClassInstance>(m_def, ctx.link);
    createArrays(m_def.fieldArrays, obj->fields(), ctx.limits.maxArrayElements);
    Variant v = Variant::fromObject(obj);
    if (m_def.initialize) {
        try {
            callProcedure(ctx, *m_def.initialize, obj.get(), kNoArgs, nullptr);
        } catch (...) {
            obj->initialized(false);  // a failed Class_Initialize: no Class_Terminate
            throw;
        }
    }
    return v;
}

Variant LateNewNode::eval(Context& ctx) const
{
    const ClassDef* def = ctx.compiler ? findClass(*ctx.compiler, m_name) : nullptr;
    if (!def)
        raise(err::ClassNotDefined, m_name);
    return NewNode(*def).eval(ctx);
}

Variant NewRegExpNode::eval(Context& ctx) const
{
    return Variant::fromObject(newRegExp(ctx));
}

Variant MeNode::eval(Context& ctx) const
{
    if (!ctx.frame->me)
        raise(err::ObjectRequired, u"Me");
    return Variant::fromObject(Ref<Object>(ctx.frame->me));
}

Variant FieldNode::eval(Context& ctx) const
{
    return ctx.frame->me->field(m_slot);
}

Variant* FieldNode::ref(Context& ctx, ArrayLocks*) const
{
    return &ctx.frame->me->field(m_slot);
}

void FieldNode::assign(Context& ctx, Variant value, bool isSet) const
{
    if (isSet && !value.isObject())
        raise(err::ObjectRequired, m_name);
    storeVariable(ctx.frame->me->field(m_slot), isSet ? std::move(value) : letValue(std::move(value)));
}

Variant SelfMemberNode::eval(Context& ctx) const
{
    return getMember(ctx, *ctx.frame->me, m_member, m_args, m_name);
}

void SelfMemberNode::assign(Context& ctx, Variant value, bool isSet) const
{
    putMember(ctx, *ctx.frame->me, m_member, m_args, std::move(value), isSet, m_name);
}

}  // namespace qp::vbs
