#include "ScriptFile.h"

#include "text/Utf.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qp::vbs {

namespace {

struct Converter {
    iconv_t cd;
    Converter(const char* to, const char* from) : cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (cd != iconv_t(-1))
            iconv_close(cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
};

// What a byte sequence the source character set does not define becomes.
enum class Undefined { Fail, KeepByte, Replace };

// Converts with iconv into `out` (UTF-16LE output, assembled portably). A byte that does
// not convert fails the whole conversion, stands for itself (as Windows reads 0x81, 0x8D,
// 0x8F, 0x90 and 0x9D of Windows-1252) or becomes U+FFFD.
bool convertToUtf16(const char* from, std::string_view bytes, std::u16string& out, Undefined undefined)
{
    Converter conv("UTF-16LE", from);
    if (conv.cd == iconv_t(-1))
        return false;
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* o = buffer;
        size_t oLeft = sizeof buffer;
        const size_t r = iconv(conv.cd, &in, &inLeft, &o, &oLeft);
        const int error = errno;
        const size_t used = sizeof buffer - oLeft;
        for (size_t i = 0; i + 1 < used; i += 2)
            out += char16_t(static_cast<unsigned char>(buffer[i]) | (static_cast<unsigned char>(buffer[i + 1]) << 8));
        if (r != size_t(-1) || error == E2BIG)
            continue;
        if (undefined == Undefined::Fail)
            return false;  // invalid or cut short
        out += undefined == Undefined::KeepByte ? char16_t(static_cast<unsigned char>(*in)) : u'\uFFFD';
        ++in;
        --inLeft;
    }
    return true;
}

std::u16string utf16Units(std::string_view bytes, bool bigEndian)
{
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        text += char16_t(bigEndian ? (a << 8) | b : (b << 8) | a);
    }
    return text;  // an odd last byte is no unit
}

bool startsWith(std::string_view bytes, std::string_view mark) { return bytes.substr(0, mark.size()) == mark; }

}  // namespace

DecodedScript DecodeScriptBytes(std::string_view bytes)
{
    DecodedScript decoded;
    if (startsWith(bytes, "\xFF\xFE")) {
        decoded.text = utf16Units(bytes.substr(2), false);
        decoded.encoding = ScriptEncoding::Utf16Le;
    } else if (startsWith(bytes, "\xFE\xFF")) {
        decoded.text = utf16Units(bytes.substr(2), true);
        decoded.encoding = ScriptEncoding::Utf16Be;
    } else if (startsWith(bytes, "\xEF\xBB\xBF")) {
        // Marked as UTF-8: what is not valid in it becomes U+FFFD.
        decoded.encoding = ScriptEncoding::Utf8Bom;
        convertToUtf16("UTF-8", bytes.substr(3), decoded.text, Undefined::Replace);
    } else if (std::u16string text; convertToUtf16("UTF-8", bytes, text, Undefined::Fail)) {
        decoded.text = std::move(text);
        decoded.encoding = ScriptEncoding::Utf8;
    } else {
        decoded.text.clear();
        convertToUtf16("WINDOWS-1252", bytes, decoded.text, Undefined::KeepByte);
        decoded.encoding = ScriptEncoding::Windows1252;
    }
    return decoded;
}

std::string DecodeScriptBytesToUtf8(std::string_view bytes)
{
    return qp::text::utf16ToUtf8(DecodeScriptBytes(bytes).text);
}

std::optional<std::string> ReadRegularFile(const std::string& path, size_t maxBytes, std::string_view what,
                                           std::string& error)
{
    // Without blocking: opening a pipe nobody writes to would wait for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    auto failed = [&](std::string why) {
        ::close(fd);
        error = std::move(why);
        return std::nullopt;
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return failed(std::strerror(errno));
    if (S_ISDIR(st.st_mode))
        return failed("it is a folder");
    if (!S_ISREG(st.st_mode))
        return failed("it is not a regular file");
    const std::string tooBig =
        "it is larger than " + std::to_string(maxBytes >> 20) + " MB, the most " + std::string(what) + " may be";
    if (st.st_size < 0 || size_t(st.st_size) > maxBytes)
        return failed(tooBig);
    std::string bytes(size_t(st.st_size), '\0');
    size_t have = 0;
    // The file may grow while it is read: one byte past the limit is enough to refuse it.
    for (;;) {
        if (have == bytes.size())
            bytes.resize(std::min(maxBytes + 1, bytes.size() + 4096));
        const ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failed(std::strerror(errno));
        if (n == 0)
            break;
        have += size_t(n);
        if (have > maxBytes)
            return failed(tooBig);
    }
    ::close(fd);
    bytes.resize(have);
    return bytes;
}

std::optional<std::string> ReadScriptFile(const std::string& path, std::string& error)
{
    return ReadRegularFile(path, kMaxScriptBytes, "a script", error);
}

}  // namespace qp::vbs
