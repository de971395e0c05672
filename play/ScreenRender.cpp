#include "ScreenRender.h"

#include "console/Attributes.h"
#include "Report.h"
#include "vbs/Text.h"

#include <cstdio>
#include <ctime>

namespace qp {

namespace {

// The text of a cell as UTF-8: a never-written cell, a control or a lone surrogate shows
// as a blank; the second half of a wide character as nothing (its first half wrote it).
std::string cellText(const ScreenSnapshot& s, int col, int row) {
    const size_t index = size_t(row) * size_t(s.width) + size_t(col);
    if (IsTrailingCell(s.wideCells[index]))
        return "";
    std::u16string text;
    s.appendCellText(text, index);
    if (text.size() == 1) {
        const char16_t c = text[0];
        if (c < 0x20 || c == 0x7F || (c >= 0xD800 && c < 0xE000))
            return " ";
    }
    return vbs::toUtf8(text);
}

// The terminal's palette index of a console colour index (the two swap red and blue).
int terminalIndex(int consoleIndex) {
    return ConsoleIndexFromTerminal(uint8_t(consoleIndex & 15));
}

std::string sgr(uint16_t attr) {
    const int fg = terminalIndex(attr & 15), bg = terminalIndex((attr >> 4) & 15);
    return "\x1b[0;" + std::to_string(fg < 8 ? 30 + fg : 90 + fg - 8) + ";" +
           std::to_string(bg < 8 ? 40 + bg : 100 + bg - 8) + "m";
}

std::string cssColour(int consoleIndex) {
    const Rgb c = kConsolePalette[size_t(consoleIndex & 15)];
    char b[8];
    std::snprintf(b, sizeof b, "#%02x%02x%02x", c.r, c.g, c.b);
    return b;
}

std::string htmlEscape(std::string_view text) {
    return XmlEscape(text);
}

}  // namespace

std::string ScreenAnsi(const ScreenSnapshot& s) {
    std::string out = "\x1b[0m\x1b[H\x1b[2J";
    int last = -1;
    for (int row = 0; row < s.height; ++row) {
        if (row > 0)
            out += "\r\n";
        for (int col = 0; col < s.width; ++col) {
            const uint16_t attr = s.wide(col, row).attr & 0xFF;  // the colours, not the halves
            if (attr != last) {
                out += sgr(attr);
                last = attr;
            }
            out += cellText(s, col, row);
        }
    }
    out += "\x1b[0m\x1b[" + std::to_string(s.cursorY + 1) + ";" + std::to_string(s.cursorX + 1) + "H";
    out += s.cursorVisible ? "\x1b[?25h" : "\x1b[?25l";
    return out;
}

std::string ScreenHtml(const ScreenSnapshot& s, const std::optional<CellRect>& area, const std::string& title,
                       const std::string& message) {
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + htmlEscape(title) +
        "</title>\n<style>\n"
        "body { font-family: sans-serif; margin: 1em; }\n"
        "pre.message { background: #f4f4f4; padding: 0.5em; white-space: pre-wrap; }\n"
        "pre.screen { display: inline-block; font-family: 'DejaVu Sans Mono', monospace; line-height: 1.15;\n"
        "  padding: 4px; margin: 0; background: #000; }\n"
        "pre.screen span.cursor { outline: 2px solid #ffd700; outline-offset: -2px; }\n"
        "pre.screen span.failed { box-shadow: inset 0 0 0 100px rgba(255, 40, 40, 0.45);\n"
        "  text-decoration: underline wavy #ff3030; }\n"
        ".legend span { padding: 0 0.4em; }\n"
        "</style>\n</head>\n<body>\n<h1>" +
        htmlEscape(title) + "</h1>\n";
    if (!message.empty())
        html += "<pre class=\"message\">" + htmlEscape(message) + "</pre>\n";
    html += "<p class=\"legend\">" + std::to_string(s.width) + "x" + std::to_string(s.height) +
            " cells; <span style=\"outline: 2px solid #ffd700\">cursor</span> at column " +
            std::to_string(s.cursorX) + ", row " + std::to_string(s.cursorY) +
            (s.cursorVisible ? "" : " (hidden)");
    if (area)
        html += "; <span style=\"background: rgba(255, 40, 40, 0.45)\">the failing check's cells</span> from "
                "column " + std::to_string(area->left) + ", row " + std::to_string(area->top) + " to column " +
                std::to_string(area->right) + ", row " + std::to_string(area->bottom);
    html += " (counted from 0)</p>\n<pre class=\"screen\">";
    auto inArea = [&](int col, int row) {
        return area && col >= area->left && col <= area->right && row >= area->top && row <= area->bottom;
    };
    for (int row = 0; row < s.height; ++row) {
        if (row > 0)
            html += "\n";
        int col = 0;
        while (col < s.width) {
            // A run of cells that look alike: the same attribute, cursor and mark.
            const uint16_t attr = s.wide(col, row).attr & 0xFF;
            const bool cursor = s.cursorVisible && col == s.cursorX && row == s.cursorY;
            const bool failed = inArea(col, row);
            int end = col + 1;
            while (!cursor && end < s.width && (s.wide(end, row).attr & 0xFF) == attr && inArea(end, row) == failed &&
                   !(s.cursorVisible && end == s.cursorX && row == s.cursorY))
                ++end;
            std::string text;
            for (int c = col; c < end; ++c)
                text += cellText(s, c, row);
            std::string classes = std::string(cursor ? "cursor" : "") + (cursor && failed ? " " : "") +
                                  (failed ? "failed" : "");
            html += "<span" + (classes.empty() ? std::string() : " class=\"" + classes + "\"") +
                    " style=\"color: " + cssColour(attr & 15) + "; background: " + cssColour((attr >> 4) & 15) +
                    "\">" + htmlEscape(text) + "</span>";
            col = end;
        }
    }
    return html + "</pre>\n</body>\n</html>\n";
}

std::string JsonEscape(std::string_view utf8) {
    // XmlEscape already replaces invalid UTF-8 and controls; do the same here by hand, as
    // JSON keeps controls as escapes.
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = uint8_t(utf8[i]);
        switch (c) {
        case '"': out += "\\\""; continue;
        case '\\': out += "\\\\"; continue;
        case '\n': out += "\\n"; continue;
        case '\r': out += "\\r"; continue;
        case '\t': out += "\\t"; continue;
        default: break;
        }
        if (c < 0x20 || c == 0x7F) {
            char b[8];
            std::snprintf(b, sizeof b, "\\u%04x", c);
            out += b;
            continue;
        }
        if (c < 0x80) {
            out += char(c);
            continue;
        }
        // A multi-byte sequence: kept when XmlEscape keeps it whole.
        size_t n = (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n && i + n <= utf8.size() && XmlEscape(utf8.substr(i, n)) == utf8.substr(i, n)) {
            out.append(utf8.substr(i, n));
            i += n - 1;
        } else {
            out += "\xEF\xBF\xBD";
        }
    }
    return out;
}

// --- the recording ---------------------------------------------------------------------

void CastRecorder::start(HostedConsole& console) {
    std::unique_lock lock(m_mutex);
    if (m_thread.joinable() || m_stopping)
        return;
    m_start = std::chrono::steady_clock::now();
    const SnapshotPtr screen = console.takeSnapshot();
    m_cast = "{\"version\": 2, \"width\": " + std::to_string(screen->width) + ", \"height\": " +
             std::to_string(screen->height) + ", \"timestamp\": " + std::to_string(long(std::time(nullptr))) +
             ", \"env\": {\"TERM\": \"xterm-256color\", \"SHELL\": \"/bin/sh\"}}\n";
    frame(*screen);
    m_console = &console;
    m_thread = std::thread([this, &console] { record(console); });
}

void CastRecorder::screenChanged() {
    {
        std::lock_guard lock(m_mutex);
        m_changed = true;
    }
    m_wake.notify_all();
    if (m_next)
        m_next->screenChanged();
}

void CastRecorder::record(HostedConsole& console) {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_changed || m_stopping; });
        if (m_stopping)
            return;
        m_changed = false;
        lock.unlock();
        const SnapshotPtr screen = console.takeSnapshot();
        lock.lock();
        frame(*screen);
        // Changes meanwhile make one frame at the end of the gap.
        m_wake.wait_for(lock, m_frameGap, [this] { return m_stopping; });
    }
}

void CastRecorder::frame(const ScreenSnapshot& screen) {
    if (m_truncated || screen.generation == m_lastGeneration)
        return;
    m_lastGeneration = screen.generation;
    const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    char time[32];
    std::snprintf(time, sizeof time, "[%.6f, \"o\", \"", t);
    std::string event = time + JsonEscape(ScreenAnsi(screen)) + "\"]\n";
    if (m_cast.size() + event.size() > m_maxBytes) {
        m_truncated = true;
        return;
    }
    m_cast += event;
}

CastRecorder::~CastRecorder() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_console = nullptr;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

std::string CastRecorder::stop() {
    HostedConsole* console = nullptr;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        console = m_console;
        m_console = nullptr;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    std::lock_guard lock(m_mutex);
    if (console)
        frame(*console->takeSnapshot());
    return m_cast;
}

}  // namespace qp
