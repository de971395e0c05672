#include "Codepage.h"

#include "text/Utf.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iconv.h>
#include <langinfo.h>
#include <memory>
#include <mutex>

namespace qp {

namespace {

constexpr const char* kUtf32 = std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE";
constexpr const char* kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
constexpr char32_t kReplacementChar = text::kReplacementCharacter;

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using Iconv = std::unique_ptr<void, IconvCloser>;

Iconv openIconv(const std::string& to, const std::string& from)
{
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return nullptr;
    return Iconv(cd);
}

// A converter kept open for this thread (opening one loads the converter's module, and
// closing the last one unloads it): the few recently used pairs of charsets, reset to
// their initial state for each use. Null when iconv knows no such conversion.
iconv_t cachedIconv(const std::string& to, const std::string& from)
{
    struct Entry {
        std::string to, from;
        Iconv cd;
    };
    constexpr size_t kKept = 8;
    thread_local std::deque<Entry> recent;  // most recently used first
    auto it = std::find_if(recent.begin(), recent.end(), [&](const Entry& e) { return e.to == to && e.from == from; });
    if (it == recent.end()) {
        Iconv cd = openIconv(to, from);
        if (!cd)
            return reinterpret_cast<iconv_t>(-1);
        if (recent.size() == kKept)
            recent.pop_back();
        recent.push_front(Entry{to, from, std::move(cd)});
    } else if (it != recent.begin()) {
        Entry e = std::move(*it);
        recent.erase(it);
        recent.push_front(std::move(e));
    }
    iconv_t cd = static_cast<iconv_t>(recent.front().cd.get());
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    return cd;
}

bool failed(iconv_t cd) { return cd == reinterpret_cast<iconv_t>(-1); }

// Decodes text to code points; bytes that form no character become U+FFFD, one each.
std::u32string decode(const std::string& text, const std::string& from)
{
    std::u32string out;
    const iconv_t cd = cachedIconv(kUtf32, from);
    if (failed(cd)) {
        for (unsigned char c : text)
            out.push_back(c < 0x80 ? c : kReplacementChar);
        return out;
    }
    out.resize(text.size());
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* dst = reinterpret_cast<char*>(out.data());
    size_t dstLeft = out.size() * sizeof(char32_t);
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &dst, &dstLeft) != size_t(-1))
            break;
        if (errno == E2BIG)
            break;  // cannot happen: one code point per byte at most
        // EILSEQ or EINVAL: one bad byte becomes one replacement character.
        *reinterpret_cast<char32_t*>(dst) = kReplacementChar;
        dst += sizeof(char32_t);
        dstLeft -= sizeof(char32_t);
        ++in;
        --inLeft;
    }
    out.resize(out.size() - dstLeft / sizeof(char32_t));
    return out;
}

// Encodes code points; those the target lacks become the replacement text.
std::string encode(const std::u32string& text, const std::string& to, const std::string& replacement)
{
    std::string out;
    const iconv_t cd = cachedIconv(to, kUtf32);
    if (failed(cd)) {
        for (char32_t c : text)
            out += c < 0x80 ? std::string(1, char(c)) : replacement;
        return out;
    }
    char* in = reinterpret_cast<char*>(const_cast<char32_t*>(text.data()));
    size_t inLeft = text.size() * sizeof(char32_t);
    char buf[4096];
    while (inLeft > 0) {
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        size_t r = iconv(cd, &in, &inLeft, &dst, &dstLeft);
        out.append(buf, dst);
        if (r != size_t(-1) || errno == E2BIG)
            continue;
        // The character at `in` has no encoding (or is not a valid code point).
        out += replacement;
        in += sizeof(char32_t);
        inLeft -= sizeof(char32_t);
    }
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    iconv(cd, nullptr, nullptr, &dst, &dstLeft);  // shift state, if any
    out.append(buf, dst);
    return out;
}

bool charsetKnown(const std::string& name)
{
    return !failed(cachedIconv(kUtf32, name));
}

}  // namespace

std::string AnsiCharset()
{
    std::string set = nl_langinfo(CODESET);
    if (set.empty() || set == "ANSI_X3.4-1968" || set == "ASCII" || set == "US-ASCII")
        return "UTF-8";
    return set;
}

bool AnsiIsUtf8()
{
    const std::string set = AnsiCharset();
    return set == "UTF-8" || set == "utf-8" || set == "UTF8" || set == "utf8";
}

std::string OemCharset()
{
    const char* env = std::getenv("PALLANT_OEMCP");
    if (env && *env) {
        std::string name = std::string("CP") + env;
        if (charsetKnown(name))
            return name;
    }
    return "CP437";
}

std::string ConvertCharset(const std::string& text, const std::string& from, const std::string& to,
                           const std::string& replacement)
{
    return encode(decode(text, from), to, replacement);
}

std::u16string AnsiToUtf16(const std::string& ansi)
{
    return text::utf32ToUtf16(decode(ansi, AnsiCharset()));
}

std::string Utf16ToAnsi(const std::u16string& text)
{
    return encode(text::utf16ToUtf32(text), AnsiCharset(), "?");
}

unsigned char Utf16ToOem(char16_t ch)
{
    return OemCodepage::system().fromUtf16(ch);
}

std::string OemToAnsi(const std::string& oem)
{
    return ConvertCharset(oem, OemCharset(), AnsiCharset());
}

std::string AnsiToOem(const std::string& ansi)
{
    return ConvertCharset(ansi, AnsiCharset(), OemCharset());
}

std::string Utf8ToAnsi(const std::string& utf8)
{
    if (AnsiIsUtf8())
        return utf8;
    return ConvertCharset(utf8, "UTF-8", AnsiCharset());
}

std::string AnsiToUtf8(const std::string& ansi)
{
    if (AnsiIsUtf8())
        return ansi;
    return ConvertCharset(ansi, AnsiCharset(), "UTF-8");
}

std::u16string AnsiCharacters(const std::string& ansi)
{
    return AnsiToUtf16(ansi);
}

OemCodepage::OemCodepage(const std::string& charset)
    : m_charset(charset)
{
    m_table.fill('?');
    Iconv cd = openIconv(kUtf16, charset);
    if (!cd) {
        for (unsigned c = 0; c < 0x80; ++c)
            m_table[c] = static_cast<unsigned char>(c);
        return;
    }
    // Highest byte first, so that where two bytes decode to one character the lower wins.
    for (int b = 255; b >= 0; --b) {
        char byte = char(b);
        char16_t unit[2] = {0, 0};
        char* in = &byte;
        size_t inLeft = 1;
        char* dst = reinterpret_cast<char*>(unit);
        size_t dstLeft = sizeof unit;
        iconv(static_cast<iconv_t>(cd.get()), nullptr, nullptr, nullptr, nullptr);
        if (iconv(static_cast<iconv_t>(cd.get()), &in, &inLeft, &dst, &dstLeft) == size_t(-1))
            continue;
        if (dstLeft == sizeof unit - sizeof(char16_t))  // exactly one code unit
            m_table[unit[0]] = static_cast<unsigned char>(b);
    }
}

const OemCodepage& OemCodepage::system()
{
    static const OemCodepage codepage(OemCharset());
    return codepage;
}

}  // namespace qp
