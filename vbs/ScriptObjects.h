#pragma once
// The objects a script creates by name: Scripting.Dictionary, VBScript.RegExp (also
// New RegExp) and Scripting.FileSystemObject with its TextStream. They implement the same
// dispatch interface as host objects; members are looked up by name once per call site.

#include "Object.h"
#include "Runtime.h"

#include <initializer_list>
#include <string_view>
#include <vector>

namespace qp::vbs {

// Base of the engine's own objects: a fixed member table, so a call site may keep the id
// it was given for the next object of the same kind.
class BuiltinObject : public Object {
public:
    DispId dispId(std::u16string_view name) override;
    Result<Variant> invoke(DispId id, InvokeKind kind, Args& args) final;

protected:
    // Member names; a member's id is its index + 1 (0 is the default member).
    virtual const std::vector<std::u16string_view>& members() const = 0;
    // The member's work; errors as ScriptException (raise()).
    virtual Variant call(DispId id, InvokeKind kind, Args& args) = 0;
};

// An object For Each can walk: the values as they are when the loop begins.
class Enumerable {
public:
    virtual ~Enumerable() = default;
    virtual std::vector<Variant> snapshot() const = 0;
};

// CreateObject's classes; an empty reference for any other name.
ObjectRef createScriptObject(Context& ctx, std::u16string_view progId);
ObjectRef newDictionary();
ObjectRef newRegExp(Context& ctx);
ObjectRef newFileSystem(Context& ctx);

// Argument helpers for the objects' members.
void requireArgs(const Args& args, size_t min, size_t max);
bool hasArg(const Args& args, size_t i);
void requirePut(InvokeKind kind, bool put);

}  // namespace qp::vbs
