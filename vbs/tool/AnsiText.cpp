#include "AnsiText.h"

#include "vbs/Text.h"

#include <clocale>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>

namespace qp::vbs {

namespace {

// The locale's character set; UTF-8 when the locale names none or iconv does not know it.
std::string ansiCharset()
{
    static const std::string charset = [] {
        std::setlocale(LC_CTYPE, "");
        const char* name = nl_langinfo(CODESET);
        std::string s = name && *name ? name : "UTF-8";
        if (s == "ANSI_X3.4-1968")  // the C locale: read scripts as UTF-8, which contains ASCII
            s = "UTF-8";
        return s;
    }();
    return charset;
}

bool isUtf8(const std::string& charset)
{
    return charset == "UTF-8" || charset == "utf8" || charset == "UTF8";
}

std::string convert(const char* to, const char* from, const char* data, size_t size, bool& ok)
{
    ok = false;
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1))
        return {};
    std::string out(size * 4 + 16, '\0');
    char* in = const_cast<char*>(data);
    size_t inLeft = size;
    char* outPtr = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == size_t(-1)) {
            if (errno == EILSEQ || errno == EINVAL) {
                ++in;  // an invalid byte: skip it
                --inLeft;
                continue;
            }
            break;
        }
    }
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    ok = true;
    return out;
}

}  // namespace

std::u16string ansiToUtf16(std::string_view ansi)
{
    std::string charset = ansiCharset();
    if (isUtf8(charset))
        return fromUtf8(ansi);
    bool ok;
    std::string utf8 = convert("UTF-8", charset.c_str(), ansi.data(), ansi.size(), ok);
    return fromUtf8(ok ? std::string_view(utf8) : ansi);
}

std::string utf16ToAnsi(std::u16string_view text)
{
    std::string utf8 = toUtf8(text);
    std::string charset = ansiCharset();
    if (isUtf8(charset))
        return utf8;
    bool ok;
    std::string out = convert((charset + "//TRANSLIT").c_str(), "UTF-8", utf8.data(), utf8.size(), ok);
    return ok ? out : utf8;
}

}  // namespace qp::vbs
