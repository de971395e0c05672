#pragma once
// The dispatch interface that host objects implement. A script reaches a host object's
// members by name; the engine asks for the member's id once and then invokes it by id.

#include "ErrorInfo.h"
#include "Ref.h"
#include "Variant.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qp::vbs {

using DispId = int32_t;
constexpr DispId kDispIdUnknown = -1;  // dispId(): no member of that name
constexpr DispId kDispIdValue = 0;     // the default member, where an object has one

enum class InvokeKind : uint8_t {
    Method,          // obj.Name args   or   x = obj.Name(args)
    PropertyGet,     // x = obj.Name    (the engine tries Method|PropertyGet alike, see below)
    PropertyPut,     // obj.Name = value      (value is the last argument)
    PropertyPutRef,  // Set obj.Name = value  (value is the last argument)
};

// One argument as the script passed it. By reference when the script passed a variable
// (or an array element) to a ByRef parameter: the callee may then write the caller's
// variable with Args::set. By value otherwise: writes go to a temporary and are lost.
struct ArgSlot {
    Variant* value;
    bool byRef;
};

// The arguments of one call, in the order the script wrote them (left to right).
class Args {
public:
    Args() = default;
    explicit Args(std::span<ArgSlot> slots) : m_slots(slots) {}

    size_t size() const noexcept { return m_slots.size(); }
    bool empty() const noexcept { return m_slots.empty(); }
    const Variant& operator[](size_t i) const noexcept { return *m_slots[i].value; }
    bool isByRef(size_t i) const noexcept { return m_slots[i].byRef; }
    // Stores an out value (e.g. ReadText's text) in argument i.
    void set(size_t i, Variant v) { *m_slots[i].value = std::move(v); }
    // The storage of argument i (the caller's variable when by reference).
    Variant* slot(size_t i) const noexcept { return m_slots[i].value; }

private:
    std::span<ArgSlot> m_slots;
};

// A host object. Called only on the script's thread, but reference-counted atomically so the
// host may hold it elsewhere.
class Object : public RefCounted {
public:
    // The member's id for a name, compared case-insensitively; kDispIdUnknown when none.
    virtual DispId dispId(std::u16string_view name) = 0;

    // Calls a member. A read in an expression (obj.Name, obj.Name(1)) comes as Method for a
    // member the object reports as a method; objects should accept Method and PropertyGet
    // alike for readable members, as automation objects do. Returns the value (Empty for a
    // member with no result) or the error the script sees: its number, this object's source
    // text and its description. Wrong argument counts are the object's to report
    // (450, "Wrong number of arguments or invalid property assignment").
    virtual Result<Variant> invoke(DispId id, InvokeKind kind, Args& args) = 0;

    // TypeName() of a variant holding this object.
    virtual std::u16string typeName() const { return u"Object"; }
};

using ObjectRef = Ref<Object>;

}  // namespace qp::vbs
