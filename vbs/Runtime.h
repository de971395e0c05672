#pragma once
// The interpreter's context: variables, frames, the Err object, named items, limits and the
// interruption flag. One Context serves one run; nothing here is global.

#include "Engine.h"
#include "Errors.h"
#include "Variant.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <unordered_map>
#include <memory>
#include <string>
#include <vector>

namespace qp::vbs {

class Block;
class ErrObject;
class ClassInstance;
class Compiler;
class Context;
struct ClassDef;

enum class Flow : uint8_t { Normal, ExitDo, ExitFor, ExitProc };

// A fixed or dynamic array to create when its scope starts (Dim a(3), Dim b()).
struct ArrayDecl {
    int slot;
    std::vector<size_t> counts;  // empty for a dynamic array
};

struct Procedure {
    std::u16string name;
    std::u16string displayName;  // in the chain of calls: "Check", "Account.Deposit"
    ClassDef* owner = nullptr;   // the class of a member procedure
    bool isFunction = false;
    std::vector<bool> byRef;  // per parameter
    int localCount = 0;       // parameters first, then the result, then the rest
    int resultSlot = -1;
    std::vector<ArrayDecl> arrays;
    std::unique_ptr<Block> body;
};

// Variables that Execute creates inside a procedure call; they last as long as the call.
struct FrameExtra {
    std::unordered_map<std::u16string, size_t> names;  // folded name -> index
    std::deque<Variant> values;
};

// One activation of a procedure (or the global code, which has no locals).
struct Frame {
    Variant* locals = nullptr;
    Variant** params = nullptr;  // where each parameter's value lives (its own slot, or the
                                 // caller's variable for ByRef)
    bool resumeNext = false;
    ClassInstance* me = nullptr;      // Me, in a class member's frame
    const Procedure* proc = nullptr;  // null for global code
    std::unique_ptr<FrameExtra> extra;
};

// Links class instances to the run that made them. When the run ends the link is cut: an
// instance the host still holds then answers with an error and its Class_Terminate no longer
// runs.
class RunLink final : public RefCounted {
public:
    Context* ctx = nullptr;
};

// Storage for frames whose addresses never move while in use: ByRef parameters point into
// the caller's frame.
class FrameStack {
public:
    struct Mark {
        size_t chunk;
        size_t used;
    };
    Mark mark() const { return {m_chunk, m_used}; }
    Variant* push(size_t n)
    {
        if (m_chunk < m_chunks.size() && m_used + n <= m_sizes[m_chunk]) {
            Variant* p = m_chunks[m_chunk].get() + m_used;
            m_used += n;
            return p;
        }
        return pushChunk(n);
    }
    void release(Mark m, Variant* base, size_t n);

private:
    Variant* pushChunk(size_t n);
    static constexpr size_t kChunk = 4096;
    std::vector<std::unique_ptr<Variant[]>> m_chunks;
    std::vector<size_t> m_sizes;
    size_t m_chunk = 0;
    size_t m_used = 0;
};

// Arrays whose elements are passed by reference stay locked until the call returns, so
// ReDim, Erase or reassignment cannot pull the element away (error 10).
class ArrayLocks {
public:
    ArrayLocks() = default;
    ArrayLocks(const ArrayLocks&) = delete;
    ~ArrayLocks()
    {
        for (Array* a : m_arrays)
            a->unlock();
    }
    void add(Array* a)
    {
        a->lock();
        m_arrays.push_back(a);
    }

private:
    std::vector<Array*> m_arrays;
};

struct NamedItem {
    std::u16string name;
    bool globalMembers = false;
    bool fetched = false;
    Ref<Object> object;
};

// A name the script uses without defining it. At its first use the engine asks whether
// the context item (or an item with global members) has such a member.
struct DynamicName {
    explicit DynamicName(std::u16string n) : name(std::move(n)) {}
    std::u16string name;
    enum class State : uint8_t { Unknown, Member, Variable, Procedure } state = State::Unknown;
    Ref<Object> object;
    int32_t dispId = -1;
    const Procedure* procedure = nullptr;  // defined later by ExecuteGlobal
};

struct CompiledProgram;

class Context {
public:
    Context(Site& site, const EngineLimits& limits, const std::atomic<bool>& interrupted,
            CompiledProgram& program, std::vector<NamedItem>& items);
    ~Context();

    // Counts a statement or loop turn; ends the run when interrupted or over budget.
    void tick()
    {
        if (++m_steps > m_stepLimit || m_interrupted.load(std::memory_order_relaxed))
            throw InterruptException{};
    }
    void enterCall();
    void leaveCall() { --m_depth; }

    Object* namedItem(size_t index);
    DynamicName& dynamicName(size_t index);
    // Takes in the names and globals that a text compiled during the run added.
    void programGrew();
    void resolveDynamic(DynamicName& d);

    void setError(const ErrorInfo& info);
    void clearError();
    ErrObject& errObject() { return *m_err; }
    Ref<Object> errRef() const;
    // Releases the global variables in the order they were declared, while the run can still
    // run Class_Terminate; then cuts the instances' link to this run.
    void finish(bool terminateObjects);

    Site& site;
    EngineLimits limits;
    CompiledProgram& program;
    std::deque<Variant> globals;  // grows with ExecuteGlobal; elements never move
    Compiler* compiler = nullptr;  // compiles Execute, ExecuteGlobal and Eval texts
    Frame* frame = nullptr;
    Frame globalFrame;
    FrameStack stack;
    bool optionExplicit = false;
    Ref<RunLink> link;
    uint64_t rndSeed = 0x50000;
    float lastRnd = 0;

private:
    const std::atomic<bool>& m_interrupted;
    uint64_t m_steps = 0;
    uint64_t m_stepLimit;
    int m_depth = 0;
    const char* m_stackBase;
    size_t m_stackLimit;
    std::vector<NamedItem>& m_items;
    std::deque<DynamicName> m_dynamic;
    size_t m_proceduresSeen = 0;
    Ref<ErrObject> m_err;
};

// One call's frame: its locals on the frame stack and its parameter pointers. enter() makes
// it the current frame (checking the call depth and the machine stack); the destructor
// restores the caller's frame and releases the locals.
class FrameScope {
public:
    FrameScope(Context& ctx, size_t localCount, size_t paramCount);
    ~FrameScope();
    FrameScope(const FrameScope&) = delete;
    FrameScope& operator=(const FrameScope&) = delete;

    Variant* locals() { return m_frame.locals; }
    Variant** params() { return m_frame.params; }
    void enter(const Procedure* proc = nullptr, ClassInstance* me = nullptr);

private:
    static constexpr size_t kInlineParams = 16;
    Context& m_ctx;
    FrameStack::Mark m_mark;
    size_t m_localCount;
    Frame m_frame;
    Frame* m_caller = nullptr;
    Variant* m_inline[kInlineParams];
    std::vector<Variant*> m_many;
};

// A procedure the script defines at script level (Compiler::globalProcedure).
const Procedure* findProcedure(const Compiler& compiler, std::u16string_view name);
// A class the script defines (New of a class a later text defined).
const ClassDef* findClass(const Compiler& compiler, std::u16string_view name);

// Creates the arrays that Dim statements declare with sizes, or as dynamic arrays.
void createArrays(const std::vector<ArrayDecl>& arrays, Variant* slots, size_t maxElements);
void createArrays(const std::vector<ArrayDecl>& arrays, std::deque<Variant>& slots, size_t maxElements,
                  size_t first = 0);

// Stores a value into a variable, refusing to replace an array that is locked.
void storeVariable(Variant& dst, Variant value);
// The array in a variable, made unshared before an element is written.
Array& writableArray(Variant& var);
// Builds arrays for Dim statements.
Variant makeDimArray(const std::vector<size_t>& counts, size_t maxElements);

}  // namespace qp::vbs
