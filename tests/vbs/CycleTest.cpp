// Script values that refer to each other go when the run ends, whichever way it ends; what a
// host still holds stays whole; Class_Terminate runs as before for everything else.
#include "vbs/Classes.h"
#include "TestHost.h"

#include <gtest/gtest.h>

using namespace qp::vbs;
using namespace qp::vbs::test;

namespace {

// The named item Probes: Make returns a new probe, Live the number alive. A probe is a host
// object that counts itself: put inside a script's structures, it tells when they are freed.
class Probes final : public Object {
public:
    DispId dispId(std::u16string_view name) override
    {
        if (name == u"Make") return 1;
        if (name == u"Live") return 2;
        return kDispIdUnknown;
    }
    Result<Variant> invoke(DispId id, InvokeKind, Args&) override;
    int live = 0;
};

class Probe final : public Object {
public:
    explicit Probe(Ref<Probes> maker) : m_maker(std::move(maker)) { ++m_maker->live; }
    ~Probe() override { --m_maker->live; }
    DispId dispId(std::u16string_view) override { return kDispIdUnknown; }
    Result<Variant> invoke(DispId, InvokeKind, Args&) override { return Variant(); }

private:
    Ref<Probes> m_maker;
};

Result<Variant> Probes::invoke(DispId id, InvokeKind, Args&)
{
    if (id == 1)
        return Variant::fromObject(ObjectRef(new Probe(Ref<Probes>(this))));
    return Variant::fromLong(live);
}

class ProbeSite final : public RecordingSite {
public:
    ProbeSite(ObjectRef test, Ref<Probes> probes) : RecordingSite(std::move(test)), m_probes(std::move(probes)) {}
    ObjectRef namedItem(std::u16string_view name) override
    {
        if (name == u"Probes")
            return ObjectRef(m_probes.get());
        return RecordingSite::namedItem(name);
    }

private:
    Ref<Probes> m_probes;
};

struct ProbeRun {
    RunOutcome outcome = RunOutcome::NotParsed;
    std::vector<std::u16string> output;
    std::vector<ScriptError> errors;
    int live = -1;  // probes alive after the run
};

ProbeRun runWithProbes(std::u16string_view text, EngineLimits limits = {}, ObjectRef test = ObjectRef(new TestObject),
                       Ref<Probes> probes = makeRef<Probes>())
{
    ProbeSite site(std::move(test), probes);
    ProbeRun r;
    {
        Engine engine(site, limits);
        engine.addNamedItem(u"Test");
        engine.addNamedItem(u"Probes");
        if (engine.parse(text)) {
            r.outcome = engine.run();
            r.live = probes->live;
        }
        engine.close();
    }
    r.output = site.output;
    r.errors = site.errors;
    return r;
}

const std::u16string kNode = u"Class Node\n"
                             u"    Public Other, Tag\n"
                             u"End Class\n"
                             u"Function F() : End Function\n";

TEST(Cycles, GoWhenTheRunEnds)
{
    struct Case {
        const char* what;
        const char16_t* script;  // MsgBox Probes.Live shows what the cycles hold mid-run
    };
    const Case cases[] = {
        {"an instance holding itself",
         u"Set a = New Node : Set a.Other = a : Set a.Tag = Probes.Make\n"
         u"Set a = Nothing\n"},
        {"two instances holding each other, still in variables at the end",
         u"Set a = New Node : Set b = New Node\n"
         u"Set a.Other = b : Set b.Other = a : Set b.Tag = Probes.Make\n"},
        {"a dictionary holding itself as an item",
         u"Set d = CreateObject(\"Scripting.Dictionary\")\n"
         u"d.Add \"self\", d : d.Add \"probe\", Probes.Make\n"
         u"Set d = Nothing\n"},
        {"a dictionary holding itself as a key",
         u"Set d = CreateObject(\"Scripting.Dictionary\")\n"
         u"d.Add d, Probes.Make\n"
         u"Set d = Nothing\n"},
        {"an instance holding an array that holds it",
         u"Set a = New Node : a.Other = Array(1, a, Probes.Make)\n"
         u"Set a = Nothing\n"},
        {"a dictionary behind arrays inside arrays",
         u"Set d = CreateObject(\"Scripting.Dictionary\")\n"
         u"d.Add \"x\", Array(Array(Array(d)), Probes.Make)\n"
         u"Set d = Nothing\n"},
        {"procedure references, regular expression matches and Err beside the cycle",
         u"Set a = New Node : Set a.Other = a\n"
         u"Set re = New RegExp : re.Pattern = \"b\" : re.Global = True\n"
         u"a.Tag = Array(GetRef(\"F\"), re, re.Execute(\"abcb\"), Err, Probes.Make)\n"
         u"Set a = Nothing\n"},
        {"a cycle made in a procedure's locals",
         u"Sub Make()\n"
         u"    Dim x, y\n"
         u"    Set x = New Node : Set y = New Node\n"
         u"    Set x.Other = y : Set y.Other = x : Set x.Tag = Probes.Make\n"
         u"End Sub\n"
         u"Make\n"},
        {"a ring of 100000 instances",
         u"Set first = New Node : Set first.Tag = Probes.Make : Set n = first\n"
         u"For i = 2 To 100000\n"
         u"    Set m = New Node : Set n.Other = m : Set n = m\n"
         u"Next\n"
         u"Set n.Other = first\n"
         u"Set first = Nothing : Set n = Nothing : Set m = Nothing\n"},
    };
    for (const Case& c : cases) {
        std::u16string text = kNode + c.script + u"MsgBox Probes.Live\n";
        ProbeRun r = runWithProbes(text);
        EXPECT_EQ(r.outcome, RunOutcome::Completed) << c.what;
        EXPECT_TRUE(r.errors.empty()) << c.what;
        EXPECT_EQ(r.output, std::vector<std::u16string>{u"1"}) << c.what << ": held during the run";
        EXPECT_EQ(r.live, 0) << c.what << ": freed after it";
    }
}

TEST(Cycles, GoWhenTheRunFailsOrIsInterrupted)
{
    const std::u16string cycle = kNode + u"Set a = New Node : Set a.Other = a : Set a.Tag = Probes.Make\n";
    ProbeRun failed = runWithProbes(cycle + u"x = 1 / 0\n");
    EXPECT_EQ(failed.outcome, RunOutcome::Failed);
    ASSERT_EQ(failed.errors.size(), 1u);
    EXPECT_EQ(failed.errors[0].number, 11);
    EXPECT_EQ(failed.live, 0);

    EngineLimits budget;
    budget.stepBudget = 1000;
    ProbeRun interrupted = runWithProbes(cycle + u"Do : Loop\n", budget);
    EXPECT_EQ(interrupted.outcome, RunOutcome::Interrupted);
    EXPECT_EQ(interrupted.live, 0);
}

TEST(Cycles, TerminateRunsAsBeforeForEverythingOutsideThem)
{
    // Globals go in declaration order with their Terminate; a chain goes link by link; the
    // members of a cycle never see Terminate.
    ProbeRun r = runWithProbes(u"Class Loud\n"
                               u"    Public Name, Other\n"
                               u"    Private Sub Class_Terminate() : MsgBox \"bye \" & Name : End Sub\n"
                               u"End Class\n"
                               u"Set a = New Loud : a.Name = \"a\"\n"
                               u"Set c1 = New Loud : c1.Name = \"c1\"\n"
                               u"Set c2 = New Loud : c2.Name = \"c2\"\n"
                               u"Set c1.Other = c2 : Set c2.Other = c1\n"
                               u"Set b = New Loud : b.Name = \"b\"\n"
                               u"Set b.Other = New Loud : b.Other.Name = \"b's\"\n"
                               u"Set c1 = Nothing : Set c2 = Nothing\n"
                               u"MsgBox \"end\"\n");
    EXPECT_TRUE(r.errors.empty());
    EXPECT_EQ(r.output, (std::vector<std::u16string>{u"end", u"bye a", u"bye b", u"bye b's"}));
}

TEST(Cycles, WhatAHostHoldsStaysWhole)
{
    // The host keeps a dictionary in a cycle with itself and with an instance holding itself:
    // all of it stays, the dictionary answers, the instance keeps its fields.
    auto test = ObjectRef(new TestObject);
    auto probes = makeRef<Probes>();
    ProbeRun r = runWithProbes(kNode + u"Set d = CreateObject(\"Scripting.Dictionary\")\n"
                                       u"d.Add \"self\", d\n"
                                       u"Set n = New Node : Set n.Other = n : Set n.Tag = d\n"
                                       u"d.Add \"node\", n\n"
                                       u"d.Add \"probe\", Probes.Make\n"
                                       u"Set Test.HostValue = d\n",
                               {}, test, probes);
    ASSERT_TRUE(r.errors.empty());
    EXPECT_EQ(r.live, 1);

    Args none;
    Result<Variant> held = test->invoke(test->dispId(u"HostValue"), InvokeKind::PropertyGet, none);
    ASSERT_TRUE(held.ok() && held.value().isObject());
    Object* d = held.value().object();
    auto item = [&](const char16_t* key) {
        Variant k = Variant::fromString(key);
        ArgSlot slot{&k, false};
        Args args(std::span<ArgSlot>(&slot, 1));
        Result<Variant> v = d->invoke(d->dispId(u"Item"), InvokeKind::PropertyGet, args);
        EXPECT_TRUE(v.ok());
        return v.ok() ? v.value() : Variant();
    };
    Result<Variant> count = d->invoke(d->dispId(u"Count"), InvokeKind::PropertyGet, none);
    ASSERT_TRUE(count.ok());
    EXPECT_EQ(count.value().longValue(), 3);
    EXPECT_EQ(item(u"self").object(), d);
    ClassInstance* n = asInstance(item(u"node").object());
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->field(0).object(), n) << "Other";
    EXPECT_EQ(n->field(1).object(), d) << "Tag";

    // The host takes the cycles apart itself before letting go.
    n->field(0).clear();
    n->field(1).clear();
    ASSERT_TRUE(d->invoke(d->dispId(u"RemoveAll"), InvokeKind::Method, none).ok());
    Variant empty;
    ArgSlot slot{&empty, false};
    Args put(std::span<ArgSlot>(&slot, 1));
    ASSERT_TRUE(test->invoke(test->dispId(u"HostValue"), InvokeKind::PropertyPut, put).ok());
    EXPECT_EQ(probes->live, 0);
}

}  // namespace
