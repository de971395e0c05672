#include "SpaceParams.h"

#include "ConsoleFuncs.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <ini.h>
#include <map>
#include <mutex>
#include <sys/stat.h>

namespace qp {

namespace {

// Longest line handed to the INI reader; longer lines are cut (their values are cut at
// kMaxValueLength anyway).
constexpr size_t kMaxLine = 4096;

std::string upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return s;
}


// The INI dialect of profiles: no continuation lines, no comments after a value, and line
// buffers on the heap of kMaxLine. Set once, before the first parse.
void configureIniReader()
{
    static std::once_flag once;
    std::call_once(once, [] {
        ini_allow_multiline = false;
        ini_allow_inline_comments = false;
        ini_use_stack = false;
        ini_allow_realloc = false;
        ini_initial_alloc = int(kMaxLine + 3);
        ini_max_line = int(kMaxLine + 3);
    });
}

// Feeds the text line by line: leading blanks removed (an indented key is still a key),
// over-long lines cut, NUL bytes ending the line they are in.
struct LineReader {
    std::string_view text;
    size_t pos = 0;

    static char* read(char* str, int num, void* stream)
    {
        auto* self = static_cast<LineReader*>(stream);
        return self->next(str, size_t(num));
    }

    char* next(char* str, size_t num)
    {
        if (pos >= text.size() || num < 2)
            return nullptr;
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
            ++pos;
        size_t end = text.find('\n', pos);
        end = end == std::string_view::npos ? text.size() : end;
        std::string_view line = text.substr(pos, end - pos);
        line = line.substr(0, std::min({line.find('\0'), num - 2, kMaxLine}));
        std::copy(line.begin(), line.end(), str);
        str[line.size()] = '\n';
        str[line.size() + 1] = '\0';
        pos = end + 1;
        return str;
    }
};

// The first value of each key in the first section of each name, as the platform's reader
// finds them. Keys are "SECTION/NAME" in upper case.
using IniValues = std::map<std::string, std::string>;

int collectValue(void* user, const char* section, const char* name, const char* value)
{
    auto* values = static_cast<IniValues*>(user);
    std::string v = value ? value : "";
    if (v.size() > TSpaceParams::kMaxValueLength)
        v.resize(TSpaceParams::kMaxValueLength);
    values->emplace(upper(section) + "/" + upper(name), std::move(v));
    return 1;
}

const std::string* find(const IniValues& values, const char* key)
{
    auto it = values.find(key);
    return it == values.end() ? nullptr : &it->second;
}

void readInteger(const IniValues& values, const char* key, int32_t& target)
{
    if (const std::string* v = find(values, key))
        ParseProfileInteger(*v, target);
}

bool parseDigits(std::string_view digits, int base, uint64_t& out)
{
    if (digits.empty() || digits.size() > 16)
        return false;
    out = 0;
    for (char c : digits) {
        const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                      : base == 16 && std::isxdigit(static_cast<unsigned char>(c)) ? std::tolower(c) - 'a' + 10
                                                                                      : -1;
        if (d < 0)
            return false;
        out = out * uint64_t(base) + uint64_t(d);
        if (out > 0x80000000ull)
            return false;
    }
    return true;
}

}  // namespace

bool ParseProfileInteger(const std::string& text, int32_t& value)
{
    std::string_view s = text;
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && s[0] == '$') {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    uint64_t magnitude = 0;
    if (!parseDigits(s, base, magnitude))
        return false;
    if (!negative && magnitude > 0x7FFFFFFFull)
        return false;
    value = negative ? int32_t(-int64_t(magnitude)) : int32_t(magnitude);
    return true;
}

void TSpaceParams::ResetProfile()
{
    Height = 25;
    Width = 80;
    CommandLine.clear();
    Font.name = "Courier New";
    Font.size = 10;
    FileName.clear();
}

void TSpaceParams::LoadProfileText(std::string_view text)
{
    configureIniReader();
    IniValues values;
    LineReader reader{text};
    ini_parse_stream(&LineReader::read, &reader, &collectValue, &values);

    if (const std::string* v = find(values, "PROCESS/COMMANDLINE"))
        CommandLine = *v;
    readInteger(values, "CONSOLE/HEIGHT", Height);
    readInteger(values, "CONSOLE/WIDTH", Width);
    if (const std::string* v = find(values, "CONSOLE/FONT.NAME"))
        Font.name = *v;
    int32_t size = Font.size;
    readInteger(values, "CONSOLE/FONT.SIZE", size);
    Font.size = size;
    const std::string* style = find(values, "CONSOLE/FONT.STYLE");
    ParseFontStyle(style ? *style : "Default");
}

bool TSpaceParams::LoadProfile(const std::string& path)
{
    FileName = path;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    // Something that exists but gives nothing (a device, an unreadable or a huge file)
    // leaves every value as it is.
    if (!S_ISREG(st.st_mode) || size_t(st.st_size) > kMaxProfileBytes)
        return true;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return true;
    std::string text(kMaxProfileBytes + 1, '\0');
    in.read(text.data(), std::streamsize(text.size()));
    text.resize(size_t(in.gcount()));
    if (text.size() > kMaxProfileBytes)
        return true;
    LoadProfileText(text);
    return true;
}

void TSpaceParams::ParseFontStyle(const std::string& value)
{
    struct StyleWord {
        const char* word;
        bool FontSpec::*flag;
    };
    static constexpr std::array<StyleWord, 4> kStyleWords{{
        {"BOLD", &FontSpec::bold},
        {"ITALIC", &FontSpec::italic},
        {"UNDERLINE", &FontSpec::underline},
        {"STRIKEOUT", &FontSpec::strikeOut},
    }};
    static_assert(kStyleWords.size() == 4);

    std::string s(TrimControls(upper(value)));
    if (s == "DEFAULT")
        return;
    FontSpec style;
    style.bold = style.italic = style.underline = style.strikeOut = false;
    while (!s.empty()) {
        const size_t comma = s.find(',');
        std::string token(TrimControls(std::string_view(s).substr(0, comma)));
        s = comma == std::string::npos ? std::string() : s.substr(comma + 1);
        for (const StyleWord& w : kStyleWords)
            if (token.rfind(w.word, 0) == 0)
                style.*w.flag = true;
    }
    Font.bold = style.bold;
    Font.italic = style.italic;
    Font.underline = style.underline;
    Font.strikeOut = style.strikeOut;
}

}  // namespace qp
