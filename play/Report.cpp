#include "Report.h"

#include "console/Codepage.h"
#include "vbs/Engine.h"
#include "display/ScreenText.h"
#include "console/ShellCommand.h"
#include "text/Utf.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace qp {

std::string ScreenReport(const ScreenSnapshot& screen, std::string_view indent) {
    std::vector<std::string> rows;
    int last = screen.cursorY;
    for (int row = 0; row < screen.height; ++row) {
        std::u16string wide = ReadRectTextWide(screen, CellRect{0, row, screen.width - 1, row}, u"");
        std::replace(wide.begin(), wide.end(), u'\0', u' ');
        rows.push_back(AnsiToUtf8(Utf16ToAnsi(wide)));
        if (!wide.empty())
            last = std::max(last, row);
    }
    last = std::min<int>(last, int(rows.size()) - 1);
    const int digits = int(std::to_string(std::max(0, last)).size());
    std::string text;
    for (int row = 0; row <= last; ++row) {
        char number[16];
        std::snprintf(number, sizeof number, "%*d|", digits, row);
        text += std::string(indent) + number + rows[size_t(row)] + "\n";
    }
    return text;
}

std::optional<CellRect> CheckArea(std::string_view call) {
    const size_t open = call.find('(');
    if (open == std::string_view::npos)
        return std::nullopt;
    const std::string_view name = call.substr(0, open);
    std::vector<long long> numbers;
    size_t i = open + 1;
    while (i < call.size() && call[i] != '"' && call[i] != ')') {
        const char* begin = call.data() + i;
        long long v = 0;
        auto [end, ec] = std::from_chars(begin, call.data() + call.size(), v);
        if (ec != std::errc())
            return std::nullopt;
        numbers.push_back(v);
        i = size_t(end - call.data());
        while (i < call.size() && (call[i] == ',' || call[i] == ' '))
            ++i;
    }
    // The text's length in cells: its characters, quotes doubled inside.
    long long length = 0;
    if (i < call.size() && call[i] == '"') {
        for (++i; i < call.size(); ++i) {
            if (call[i] == '"') {
                if (i + 1 < call.size() && call[i + 1] == '"')
                    ++i;
                else
                    break;
            }
            if ((uint8_t(call[i]) & 0xC0) != 0x80)
                length += uint8_t(call[i]) >= 0xF0 ? 2 : 1;  // UTF-16 code units
        }
    }
    auto clampInt = [](long long v) { return int32_t(std::clamp<long long>(v, INT32_MIN, INT32_MAX)); };
    auto row = [&](long long x, long long y) {
        return CellRect{clampInt(x), clampInt(y), clampInt(x + std::max(length, 1LL) - 1), clampInt(y)};
    };
    if (name == "CheckString" && numbers.size() == 2)
        return row(numbers[0], numbers[1]);
    if (name == "WaitString" && numbers.size() == 3)
        return row(numbers[1], numbers[2]);
    if ((name == "CheckRect" || name == "CheckAttr") && numbers.size() >= 4)
        return CellRect{clampInt(numbers[0]), clampInt(numbers[1]), clampInt(numbers[2]), clampInt(numbers[3])};
    if (name == "CheckWindow" && numbers.size() >= 4)
        return CellRect{clampInt(numbers[0] - 1), clampInt(numbers[1] - 1), clampInt(numbers[2] - 1),
                        clampInt(numbers[3] - 1)};
    return std::nullopt;
}

std::string ScreenRows(const ScreenSnapshot& screen) {
    std::string text;
    for (int row = 0; row < screen.height; ++row) {
        std::u16string wide = ReadRectTextWide(screen, CellRect{0, row, screen.width - 1, row}, u"");
        std::replace(wide.begin(), wide.end(), u'\0', u' ');
        text += AnsiToUtf8(Utf16ToAnsi(wide)) + "\n";
    }
    return text;
}

namespace {

// A word of an argument vector in double quotes: quotes, backslashes and controls escaped.
std::string JsonEscapeWord(std::string_view word) {
    std::string out;
    for (char c : word) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (uint8_t(c) < 0x20) {
            char b[8];
            std::snprintf(b, sizeof b, "\\x%02x", uint8_t(c));
            out += b;
        } else {
            out += c;
        }
    }
    return out;
}

// The length of the UTF-8 sequence at s[i] when it is a character XML allows, or 0.
size_t xmlCharacterLength(std::string_view s, size_t i) {
    const size_t n = text::utf8SequenceLength(s, i);
    if (n == 3 && s.substr(i, 2) == "\xEF\xBF" && (s[i + 2] == '\xBE' || s[i + 2] == '\xBF'))
        return 0;  // U+FFFE and U+FFFF are not XML characters
    return n;
}

}  // namespace

std::string XmlEscape(std::string_view s, bool attribute) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const char c = s[i];
        switch (c) {
        case '&': out += "&amp;"; ++i; continue;
        case '<': out += "&lt;"; ++i; continue;
        case '>': out += "&gt;"; ++i; continue;
        case '"': out += "&quot;"; ++i; continue;
        case '\'': out += "&apos;"; ++i; continue;
        case '\n': out += attribute ? "&#10;" : "\n"; ++i; continue;
        case '\r': out += attribute ? "&#13;" : "\r"; ++i; continue;
        case '\t': out += attribute ? "&#9;" : "\t"; ++i; continue;
        default: break;
        }
        const size_t n = xmlCharacterLength(s, i);
        if (n == 0 || (n == 1 && uint8_t(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        out.append(s.substr(i, n));
        i += n;
    }
    return out;
}

SuiteInfo CurrentSuiteInfo() {
    SuiteInfo info;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &local);
    info.timestamp = stamp;
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) == 0)
        info.hostname = host;
    return info;
}

namespace {

std::string seconds3(double s) {
    char b[32];
    std::snprintf(b, sizeof b, "%.3f", s);
    return b;
}

// A failed try of a flaky or failing script, as Surefire writes it.
std::string tryElement(const char* tag, const CaseResult& c) {
    std::string xml = std::string("      <") + tag + " message=\"" + XmlEscape(c.message, true) +
                      "\" type=\"" + (c.status == CaseResult::NotParsed ? "error" : "failure") + "\">\n" +
                      "        <stackTrace>" + XmlEscape(c.details) + "</stackTrace>\n";
    if (!c.output.empty())
        xml += "        <system-out>" + XmlEscape(c.output) + "</system-out>\n";
    return xml + "      </" + tag + ">\n";
}

}  // namespace

std::string JUnitXml(const std::vector<CaseResult>& cases, double totalSeconds, const SuiteInfo& suite) {
    size_t failures = 0, errors = 0;
    for (const CaseResult& c : cases) {
        failures += c.status == CaseResult::Failed;
        errors += c.status == CaseResult::NotParsed;
    }
    const std::string counts = " tests=\"" + std::to_string(cases.size()) + "\" failures=\"" +
                               std::to_string(failures) + "\" errors=\"" + std::to_string(errors) +
                               "\" time=\"" + seconds3(totalSeconds) + "\"";
    std::string where;
    if (!suite.timestamp.empty())
        where += " timestamp=\"" + XmlEscape(suite.timestamp, true) + "\"";
    if (!suite.hostname.empty())
        where += " hostname=\"" + XmlEscape(suite.hostname, true) + "\"";
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites" + counts +
                      ">\n  <testsuite name=\"pallant-play\"" + counts + " skipped=\"0\"" + where + ">\n";
    for (const CaseResult& c : cases) {
        const size_t slash = c.file.find_last_of('/');
        const std::string name = !c.name.empty() ? c.name : c.file.substr(slash + 1);
        const std::string className = !c.className.empty() ? c.className
                                      : slash == std::string::npos ? "."
                                      : c.file.substr(0, std::max<size_t>(slash, 1));
        xml += "    <testcase name=\"" + XmlEscape(name, true) + "\" classname=\"" + XmlEscape(className, true) +
               "\" file=\"" + XmlEscape(c.file, true) + "\" time=\"" + seconds3(c.seconds) + "\">\n";
        if (c.status != CaseResult::Passed) {
            // The first failure is the failure; later tries that failed too are reruns.
            const CaseResult& first = c.earlierTries.empty() ? c : c.earlierTries.front();
            const char* tag = c.status == CaseResult::NotParsed ? "error" : "failure";
            xml += std::string("      <") + tag + " message=\"" + XmlEscape(first.message, true) + "\">" +
                   XmlEscape(first.details) + "</" + tag + ">\n";
            for (size_t i = 1; i < c.earlierTries.size(); ++i)
                xml += tryElement("rerunFailure", c.earlierTries[i]);
            if (!c.earlierTries.empty())
                xml += tryElement("rerunFailure", c);
        } else {
            for (const CaseResult& t : c.earlierTries)
                xml += tryElement("flakyFailure", t);
        }
        if (!c.output.empty())
            xml += "      <system-out>" + XmlEscape(c.output) + "</system-out>\n";
        xml += "    </testcase>\n";
    }
    return xml + "  </testsuite>\n</testsuites>\n";
}

void TraceFile::stamp() {
    const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    char b[32];
    std::snprintf(b, sizeof b, "[%9.3f] ", t);
    m_out << b;
}

void TraceFile::beginScript(const std::string& file) {
    std::lock_guard lock(m_mutex);
    m_start = std::chrono::steady_clock::now();
    m_out << "== " << file << "\n";
}

void TraceFile::note(std::string_view text) {
    std::lock_guard lock(m_mutex);
    stamp();
    m_out << text << "\n";
    m_out.flush();
}

std::string TraceFile::where() const {
    const int line = vbs::CurrentStatementLine();
    if (line < 0 || !m_lineNames)
        return "";
    return m_lineNames(line) + ": ";
}

std::string ArgumentVectorText(std::string_view commandLine) {
    std::string text = "[";
    try {
        for (const std::string& word : CommandLineVector(std::string(commandLine)))
            text += (text.size() > 1 ? ", \"" : "\"") + JsonEscapeWord(word) + "\"";
    } catch (const std::exception&) {
        return "(cannot be read) " + std::string(commandLine);
    }
    return text + "]";
}

void TraceFile::programStarted(std::string_view commandLine) {
    const std::string at = where();
    std::lock_guard lock(m_mutex);
    stamp();
    m_out << at << "start " << ArgumentVectorText(commandLine) << "\n";
    m_out.flush();
}

void TraceFile::programEnded(std::string_view commandLine, int status, std::string_view how) {
    std::string text = "end " + ArgumentVectorText(commandLine) + " exit status ";
    if (status < 0)
        text += "unknown";
    else
        text += std::to_string(status);
    if (!how.empty())
        text += " " + std::string(how);
    note(text);
}

void TraceFile::keySent(std::string_view method, std::string_view key) {
    const std::string at = where();
    std::lock_guard lock(m_mutex);
    stamp();
    m_out << at << "key " << method << " ";
    if (key.size() == 1 && uint8_t(key[0]) < 0x20) {
        char b[8];
        std::snprintf(b, sizeof b, "^%c", key[0] + 0x40);
        m_out << b << "\n";
    } else {
        m_out << key << "\n";
    }
}

void TraceFile::checkMade(std::string_view call, bool result, const ScreenSnapshot& screen) {
    const std::string at = where();
    std::lock_guard lock(m_mutex);
    stamp();
    m_out << at << "check " << call << " -> " << (result ? "True" : "False") << "\n"
          << ScreenReport(screen, "            ");
    m_out.flush();
}

ReportFile::ReportFile(std::string path) : m_path(std::move(path)) {}

ReportFile::~ReportFile() {
    if (m_stream.is_open())
        m_stream.close();
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
}

bool ReportFile::fail(const std::string& what, int error) {
    const std::string reason = error ? std::strerror(error) : "it could not be written";
    m_error = what.empty() ? reason : what + (error ? ": " + reason : std::string());
    return false;
}

bool ReportFile::open() {
    m_target = m_path;
    struct stat st {};
    if (::stat(m_path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            if (S_ISDIR(st.st_mode))
                return fail("it is a folder", 0);
            // A device or a pipe: no folder to put a temporary file in.
            m_stream.open(m_path, std::ios::binary | std::ios::trunc);
            return m_stream.is_open() || fail("", errno);
        }
        m_mode = int(st.st_mode & 07777);
        char resolved[PATH_MAX];
        if (::realpath(m_path.c_str(), resolved))
            m_target = resolved;
    }
    const size_t slash = m_target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : m_target.substr(0, slash + 1);
    const std::string stem = (slash == std::string::npos ? std::string() : folder) + "." +
                             m_target.substr(slash == std::string::npos ? 0 : slash + 1) + ".";
    // Created with the usual permissions (the umask applies), or the existing file's.
    std::random_device random;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        m_temp = stem + std::to_string(::getpid()) + "-" + std::to_string(random() % 1000000);
        fd = ::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        m_temp.clear();
        return fail("cannot create a temporary file in " + folder, errno);
    }
    if (m_mode >= 0 && ::fchmod(fd, mode_t(m_mode)) != 0) {
        const int error = errno;
        ::close(fd);
        return fail("cannot set the permissions of " + m_temp, error);
    }
    ::close(fd);
    m_stream.open(m_temp, std::ios::binary | std::ios::trunc);
    return m_stream.is_open() || fail("cannot open " + m_temp, errno);
}

bool ReportFile::commit() {
    if (!m_stream.is_open())
        return fail("", 0);
    int error = errno;  // of a write that failed already, if one did
    if (m_stream) {
        errno = 0;
        m_stream.flush();
        error = errno;
    }
    const bool written = bool(m_stream);
    if (written)
        errno = 0;
    m_stream.close();
    if (!written || !m_stream)
        return fail("", written ? errno : error);
    if (m_temp.empty())
        return true;
    // The data on the disk before the name points at it.
    const int fd = ::open(m_temp.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        error = errno;
        if (fd >= 0)
            ::close(fd);
        return fail("", error);
    }
    ::close(fd);
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0)
        return fail("cannot replace " + m_target, errno);
    m_temp.clear();
    return true;
}

}  // namespace qp
