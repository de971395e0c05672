#include "Engine.h"

#include "Collector.h"
#include "Compiled.h"
#include "Compiler.h"
#include "ErrObject.h"
#include "MemoryLimit.h"
#include "Parser.h"

#include <atomic>

namespace qp::vbs {

struct Engine::Impl {
    Impl(Site& s, const EngineLimits& l) : site(s), limits(l) {}

    Site& site;
    EngineLimits limits;
    std::atomic<EngineState> state{EngineState::Initialized};
    std::atomic<bool> interrupted{false};
    std::vector<NamedItem> items;
    std::unique_ptr<CompiledProgram> program;
    std::unique_ptr<Compiler> compiler;  // kept for the texts Execute and Eval compile

    void reportSyntax(const SyntaxErrorInfo& e);
    void reportRuntime(ScriptException e);
    void initializeGlobals(Context& ctx);
};

void Engine::Impl::reportSyntax(const SyntaxErrorInfo& e)
{
    ScriptError report;
    report.line = e.line;
    report.position = e.col;
    report.number = e.number;
    report.source = std::u16string(kSyntaxSource);
    report.description = std::u16string(errorText(e.number));
    report.syntax = true;
    site.onScriptError(report);
}

void Engine::Impl::reportRuntime(ScriptException e)
{
    leaveProcedure(e, {});
    ScriptError report;
    report.calls = std::move(e.calls);
    report.line = e.line < 0 ? 0 : e.line;
    report.position = e.col < 0 ? 0 : e.col;
    report.number = e.info.number;
    report.source = e.info.source;
    report.description = e.info.description;
    // The report names what the error is about, as in "Variable is undefined: 'x'".
    if (!e.name.empty() && !report.description.empty())
        report.description += u": '" + e.name + u"'";
    site.onScriptError(report);
}

void Engine::Impl::initializeGlobals(Context& ctx)
{
    createArrays(program->globalArrays, ctx.globals, limits.maxArrayElements);
}

Engine::Engine(Site& site, EngineLimits limits) : m_impl(std::make_unique<Impl>(site, limits)) {}

Engine::~Engine()
{
    close();
}

void Engine::addNamedItem(std::u16string name, bool globalMembers)
{
    NamedItem item;
    item.name = std::move(name);
    item.globalMembers = globalMembers;
    m_impl->items.push_back(std::move(item));
}

bool Engine::parse(std::u16string_view text)
{
    Impl& d = *m_impl;
    if (d.state.load() != EngineState::Initialized)
        return false;
    ast::Program tree;
    SyntaxErrorInfo error;
    auto program = std::make_unique<CompiledProgram>();
    auto compiler = std::make_unique<Compiler>(*program, d.items);
    bool ok = parseText(text, d.limits.maxNesting, tree, error);
    if (ok)
        ok = compiler->compile(tree, error);
    if (!ok) {
        d.reportSyntax(error);
        return false;
    }
    d.program = std::move(program);
    d.compiler = std::move(compiler);
    d.state.store(EngineState::Started);
    return true;
}

RunOutcome Engine::run()
{
    Impl& d = *m_impl;
    if (d.state.load() != EngineState::Started || !d.program)
        return RunOutcome::NotParsed;
    d.state.store(EngineState::Connected);
    RunOutcome outcome = RunOutcome::Completed;
    {
        // Every value the run makes counts against its memory, until the run's own go.
        const Ref<MemoryAccount> memory = makeRef<MemoryAccount>(d.limits.maxMemoryBytes ? d.limits.maxMemoryBytes : SIZE_MAX);
        ScopedMemoryAccount memoryScope(memory.get());
        // Every container the run makes is known to the collector, which frees at the end
        // those that only refer to each other.
        Collector collector;
        ScopedCollector collectorScope(&collector);
        {
            Context ctx(d.site, d.limits, d.interrupted, *d.program, d.items);
            ctx.compiler = d.compiler.get();
            try {
                d.initializeGlobals(ctx);
                d.program->body.exec(ctx);
                // The script's objects go now, in declaration order, running Class_Terminate.
                ctx.finish(true);
            } catch (const ScriptException& e) {
                d.reportRuntime(e);
                outcome = RunOutcome::Failed;
            } catch (const InterruptException&) {
                outcome = RunOutcome::Interrupted;
            } catch (const std::bad_alloc&) {
                ScriptException e{runtimeErrorInfo(err::OutOfMemory), {}};
                d.reportRuntime(e);
                outcome = RunOutcome::Failed;
            }
        }
        // The run is over (its variables released, its instances cut off from it), so what
        // is left unreached goes without Class_Terminate, completed, failed or interrupted.
        collector.collect();
    }
    d.state.store(EngineState::Disconnected);
    return outcome;
}

void Engine::interrupt() noexcept
{
    m_impl->interrupted.store(true);
}

void Engine::close()
{
    if (!m_impl || m_impl->state.load() == EngineState::Closed)
        return;
    m_impl->compiler.reset();
    m_impl->program.reset();
    m_impl->items.clear();
    m_impl->state.store(EngineState::Closed);
}

EngineState Engine::state() const noexcept
{
    return m_impl->state.load();
}

}  // namespace qp::vbs
