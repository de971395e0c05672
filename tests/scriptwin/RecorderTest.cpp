// The recorder's statements and the generated checks, written into a plain-text script.
#include "display/CheckText.h"
#include "scriptwin/Recorder.h"

#include <gtest/gtest.h>

using namespace qp;

namespace {

// Keys as the key forwarding records them: a combination's text in angle brackets.
struct Key {
    bool combination;
    std::string text;
};
Key typed(char c) { return {false, std::string(1, c)}; }
Key combo(const std::string& name) { return {true, "<" + name + ">"}; }

std::string record(const std::vector<Key>& keys, TextScriptEditing editor = TextScriptEditing())
{
    for (const Key& k : keys)
        RecordKeys(editor, k.combination, k.text);
    return editor.text();
}

}  // namespace

TEST(Recorder, StatementsOfTypicalSessions)
{
    struct Case {
        const char* name;
        std::vector<Key> keys;
        std::string script;
    } cases[] = {
        {"dir and Enter", {typed('d'), typed('i'), typed('r'), combo("Enter")},
         "Console.PutKeys \"dir\"\r\nConsole.PutControl \"<Enter>\""},
        {"upper-case A presses Shift first", {combo("Shift"), typed('A')},
         "Console.PutControl \"<Shift>\"\r\nConsole.PutKeys \"A\""},
        {"combinations merge", {combo("Up"), combo("Up"), combo("Enter")}, "Console.PutControl \"<Up><Up><Enter>\""},
        {"typed double quote is doubled", {typed('a'), typed('"'), typed('b')}, "Console.PutKeys \"a\"\"b\""},
        {"a double quote first", {typed('"')}, "Console.PutKeys \"\"\"\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(record(c.keys), c.script) << c.name;
}

TEST(Recorder, TypedStatementHoldsAtMost43Characters)
{
    std::vector<Key> keys(44, typed('x'));
    EXPECT_EQ(record(keys), "Console.PutKeys \"" + std::string(43, 'x') + "\"\r\nConsole.PutKeys \"x\"");
}

TEST(Recorder, CombinationsMergeWhileTheStatementIsAtMost60Long)
{
    // 21 + 4 per <F1>: 57 after 9, 61 after 10: the eleventh starts a new statement.
    std::vector<Key> keys(11, combo("F1"));
    std::string first = "Console.PutControl \"";
    for (int i = 0; i < 10; ++i)
        first += "<F1>";
    EXPECT_EQ(record(keys), first + "\"\r\nConsole.PutControl \"<F1>\"");
}

TEST(Recorder, SelectionIsTheRecordersMemory)
{
    // Nothing selected: the statement goes in at the caret, inside the line.
    TextScriptEditing editor("Foo Bar");
    editor.SetSelStart(4);
    RecordKeys(editor, false, "x");
    EXPECT_EQ(editor.text(), "Foo Console.PutKeys \"x\"Bar");
    EXPECT_EQ(editor.SelectedText(), "Console.PutKeys \"x\"");

    // A selected PutKeys statement ending in a quote takes the next character.
    TextScriptEditing sel("' c\r\nConsole.PutKeys \"ab\"\r\nEnd");
    sel.SetSelStart(5);
    sel.SetSelEnd(5 + 20);
    ASSERT_EQ(sel.SelectedText(), "Console.PutKeys \"ab\"");
    RecordKeys(sel, false, "c");
    EXPECT_EQ(sel.text(), "' c\r\nConsole.PutKeys \"abc\"\r\nEnd");

    // Any other selection stays; the statement follows on a new line.
    TextScriptEditing other("Dim a");
    other.SetSelStart(0);
    other.SetSelEnd(3);
    RecordKeys(other, true, "<Tab>");
    EXPECT_EQ(other.text(), "Dim\r\nConsole.PutControl \"<Tab>\" a");
    EXPECT_EQ(other.SelectedText(), "Console.PutControl \"<Tab>\"");
}

TEST(Recorder, WindowCheckWhenTheActiveWindowChanges)
{
    TextScriptEditing editor;
    WindowTrace trace;
    RecordWindowCheck(editor, trace, CellRect{3, 2, 40, 12});
    EXPECT_EQ(editor.text(), "") << "tracing is off";

    trace.toggle();
    RecordKeys(editor, false, "a");
    RecordWindowCheck(editor, trace, CellRect{3, 2, 40, 12});
    const std::string block = "If Not CheckWindow(3,2,40,12) Then\r\n"
                              "  Err.Raise 1, \"\", \"Not found window 3,2,40,12\"\r\n"
                              "End If\r\n";
    EXPECT_EQ(editor.text(), "Console.PutKeys \"a\"\r\n" + block);
    EXPECT_EQ(trace.LastTracedWindow, (CellRect{3, 2, 40, 12}));
    RecordWindowCheck(editor, trace, CellRect{3, 2, 40, 12});
    RecordKeys(editor, false, "b");
    EXPECT_EQ(editor.text(), "Console.PutKeys \"a\"\r\n" + block + "Console.PutKeys \"b\"") << "same window: no check";
}

TEST(CheckText, StatementsForSelections)
{
    struct Case {
        CellRect rect;
        std::string text;
        std::string statement;
    } cases[] = {
        {{10, 3, 14, 3}, "Hello",
         "If Not Console.CheckString(10, 3, \"Hello\") Then\r\n  Err.Raise 1, \"\", \"Not found string 'Hello'\"\r\nEnd If\r\n"},
        {{0, 1, 4, 2}, "ab/cd/",
         "If Not Console.CheckRect(0, 1, 4, 2, \"ab/cd/\") Then\r\n  Err.Raise 1, \"\", \"Not found string 'ab/cd/'\"\r\nEnd If\r\n"},
        {{5, 0, 5, 0}, "", "If Not Console.CheckString(5, 0, \"\") Then\r\n  Err.Raise 1, \"\", \"Not found string ''\"\r\nEnd If\r\n"},
        {{-1, 2, 3, 2}, "say \"hi\"",
         "If Not Console.CheckString(-1, 2, \"say \"\"hi\"\"\") Then\r\n  Err.Raise 1, \"\", \"Not found string 'say \"\"hi\"\"'\"\r\nEnd If\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckTextStatement(c.rect, c.text), c.statement) << c.text;
}

TEST(CheckText, PlacementInTheEditor)
{
    const std::string statement = CheckTextStatement({1, 1, 2, 1}, "ok");
    TextScriptEditing atCaret("ab");
    atCaret.SetSelStart(1);
    InsertCheckText(atCaret, {1, 1, 2, 1}, "ok");
    EXPECT_EQ(atCaret.text(), "a" + statement + "b");
    EXPECT_EQ(atCaret.SelectedText(), statement);

    TextScriptEditing selected("Console.PutKeys \"ok\"");
    selected.SetSelStart(0);
    selected.SetSelEnd(20);
    InsertCheckText(selected, {1, 1, 2, 1}, "ok");
    EXPECT_EQ(selected.text(), "Console.PutKeys \"ok\"\r\n" + statement);
    EXPECT_EQ(selected.SelectedText(), statement);
    // The recorder's next key goes after the check, on a line of its own.
    RecordKeys(selected, true, "<Enter>");
    EXPECT_EQ(selected.text(), "Console.PutKeys \"ok\"\r\n" + statement + "\r\nConsole.PutControl \"<Enter>\"");
}
