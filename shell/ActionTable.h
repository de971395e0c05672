#pragma once
// The main window's action list: captions, hints and images, shared by the main window's
// tool bar and the script window's tool bar.

#include <array>
#include <cstddef>
#include <string_view>

namespace qp {

enum class ActionId {
    aNewWindow, aCopy, aPaste, aPlay, aRecord, aStop, aShowConsole, aFont, aRun,
    aCheckText, aShowScript, aScreenShot, aOpenScript, aSaveScript, aAbout, aCheckWindow,
};
inline constexpr size_t kActionCount = 16;

struct ActionSpec {
    ActionId id;
    std::string_view name;
    std::string_view caption;
    std::string_view hint;
    int image;  // index into the tool images
};

inline constexpr std::array<ActionSpec, kActionCount> kActionTable = {{
    {ActionId::aNewWindow, "aNewWindow", "New Window", "New Window", 40},
    {ActionId::aCopy, "aCopy", "Copy", "Copy", 10},
    {ActionId::aPaste, "aPaste", "Paste", "Paste", 12},
    {ActionId::aPlay, "aPlay", "Play", "Play", 2},
    {ActionId::aRecord, "aRecord", "Record", "Record", 43},
    {ActionId::aStop, "aStop", "Stop", "Stop", 41},
    {ActionId::aShowConsole, "aShowConsole", "Show Console", "Show console window", 16},
    {ActionId::aFont, "aFont", "Font...", "Change Font", 14},
    {ActionId::aRun, "aRun", "Run...", "Run new command", 38},
    {ActionId::aCheckText, "aCheckText", "Check Text", "Insert selected text", 26},
    {ActionId::aShowScript, "aShowScript", "Show Script", "Show script editor", 28},
    {ActionId::aScreenShot, "aScreenShot", "Screen Shot", "Copy screen to clipboard", 36},
    {ActionId::aOpenScript, "aOpenScript", "Open Script", "Read script from file", 31},
    {ActionId::aSaveScript, "aSaveScript", "SaveScript", "Save script to file", 33},
    {ActionId::aAbout, "aAbout", "About", "Help & About the program", 37},
    {ActionId::aCheckWindow, "aCheckWindow", "CheckWindow", "Trace active window", 45},
}};

constexpr bool actionTableInOrder()
{
    for (size_t i = 0; i < kActionTable.size(); ++i)
        if (static_cast<size_t>(kActionTable[i].id) != i)
            return false;
    return true;
}
static_assert(actionTableInOrder(), "rows follow ActionId's order");

constexpr const ActionSpec& actionSpec(ActionId id) { return kActionTable[static_cast<size_t>(id)]; }

// The console has no window of its own on this system, so Show Console stays disabled
// and its hint says why.
inline constexpr std::string_view kShowConsoleDisabledHint =
    "Show console window (not available: the console has no window of its own here)";

// Images of the tabs of docked windows.
inline constexpr int kImageRecording = 43;
inline constexpr int kImagePlaying = 2;
inline constexpr int kImageIdle = 41;

}  // namespace qp
