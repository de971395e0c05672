// Scripting.FileSystemObject, the part test scripts use, and its TextStream. Paths are the
// system's (/ separates folders). Texts are UTF-8 files, or UTF-16LE with a byte order mark
// for the Unicode format. A file opened for writing is written to a temporary file beside it
// and renamed over the original when the stream closes, so a failed write leaves the old file
// as it was.
#include "Builtins.h"
#include "Convert.h"
#include "Errors.h"
#include "ScriptObjects.h"
#include "Text.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace qp::vbs {

namespace {

constexpr int32_t kForReading = 1, kForWriting = 2, kForAppending = 8;
constexpr int32_t kTristateTrue = -1;

std::string pathArg(const Variant& v)
{
    std::string p = toUtf8(stringArg(v));
    if (p.find('\0') != std::string::npos)
        raise(err::BadFileName);
    return p;
}

// The error for a failed system call on a path.
[[noreturn]] void raiseErrno(int e)
{
    switch (e) {
    case ENOENT: raise(err::FileNotFound);
    case ENOTDIR: raise(err::PathNotFound);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
    case EBUSY: raise(err::PermissionDenied);
    case EEXIST: raise(err::FileExists);
    case ENOSPC:
    case EDQUOT: raise(err::DiskFull);
    case ENAMETOOLONG: raise(err::BadFileName);
    case ENOMEM: raise(err::OutOfMemory);
    default: raise(err::PathFileAccess);
    }
}

bool isDirectory(const std::string& p)
{
    struct stat st;
    return !p.empty() && ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const std::string& p)
{
    struct stat st;
    return !p.empty() && ::stat(p.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::string stripTrailing(std::string p)
{
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    return p;
}

std::string fileName(const std::string& path)
{
    std::string p = stripTrailing(path);
    if (p == "/")
        return {};
    size_t slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string parentFolder(const std::string& path)
{
    std::string p = stripTrailing(path);
    size_t slash = p.rfind('/');
    if (slash == std::string::npos || p == "/")
        return {};
    if (slash == 0)
        return "/";
    return p.substr(0, slash);
}

// The folder a file would be made in: missing means 76 Path not found.
void requireParent(const std::string& path)
{
    std::string parent = parentFolder(path);
    if (!parent.empty() && !isDirectory(parent))
        raise(err::PathNotFound);
}

std::u16string u16(const std::string& s)
{
    return fromUtf8(s);
}

std::string absolutePath(const std::string& path)
{
    std::string full = path;
    if (full.empty() || full[0] != '/') {
        char buf[4096];
        std::string cwd = ::getcwd(buf, sizeof buf) ? buf : "/";
        full = full.empty() ? cwd : cwd + "/" + full;
    }
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= full.size()) {
        size_t j = full.find('/', i);
        if (j == std::string::npos)
            j = full.size();
        std::string part = full.substr(i, j - i);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::string out;
    for (const std::string& p : parts)
        out += "/" + p;
    return out.empty() ? "/" : out;
}

bool hasWildcard(const std::string& name)
{
    return name.find_first_of("*?") != std::string::npos;
}

// The files a path names: one file, or a wildcard pattern in its last part.
std::vector<std::string> matchingFiles(const std::string& path)
{
    std::string name = fileName(path);
    if (!hasWildcard(name))
        return isFile(path) ? std::vector<std::string>{path} : std::vector<std::string>{};
    std::string dir = parentFolder(path);
    std::vector<std::string> out;
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        raise(err::PathNotFound);
    while (dirent* e = ::readdir(d)) {
        std::string entry = e->d_name;
        if (entry == "." || entry == ".." || ::fnmatch(name.c_str(), entry.c_str(), FNM_PERIOD) != 0)
            continue;
        std::string full = dir.empty() ? entry : (dir == "/" ? "/" + entry : dir + "/" + entry);
        if (isFile(full))
            out.push_back(full);
    }
    ::closedir(d);
    return out;
}

bool writeAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

// A temporary file beside `path`, for a write that replaces it only when complete.
int temporaryBeside(const std::string& path, std::string& tempPath)
{
    std::string dir = parentFolder(path);
    tempPath = (dir.empty() ? std::string(".") : dir) + "/." + fileName(path) + ".XXXXXX";
    int fd = ::mkstemp(tempPath.data());
    if (fd < 0)
        raiseErrno(errno);
    return fd;
}

// Replaces `to` with the finished temporary file, keeping the original's permissions.
void commitTemporary(int fd, const std::string& tempPath, const std::string& to)
{
    struct stat st;
    mode_t mode = ::stat(to.c_str(), &st) == 0 ? (st.st_mode & 07777) : mode_t(0666 & ~[] {
        mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }());
    ::fchmod(fd, mode);
    if (::close(fd) != 0 || ::rename(tempPath.c_str(), to.c_str()) != 0) {
        int e = errno;
        ::unlink(tempPath.c_str());
        raiseErrno(e);
    }
}

void copyFile(const std::string& from, const std::string& to)
{
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        raiseErrno(errno);
    std::string temp;
    int out;
    try {
        out = temporaryBeside(to, temp);
    } catch (...) {
        ::close(in);
        throw;
    }
    char buf[65536];
    bool ok = true;
    int failure = 0;
    for (;;) {
        ssize_t n = ::read(in, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ok = false;
            failure = errno;
            break;
        }
        if (n == 0)
            break;
        if (!writeAll(out, std::string(buf, size_t(n)))) {
            ok = false;
            failure = errno;
            break;
        }
    }
    struct stat st;
    bool haveMode = ::fstat(in, &st) == 0;
    ::close(in);
    if (!ok) {
        ::close(out);
        ::unlink(temp.c_str());
        raiseErrno(failure);
    }
    if (haveMode)
        ::fchmod(out, st.st_mode & 07777);
    if (::close(out) != 0 || ::rename(temp.c_str(), to.c_str()) != 0) {
        int e = errno;
        ::unlink(temp.c_str());
        raiseErrno(e);
    }
}

// ---- TextStream

enum StreamMember : DispId {
    ReadLine = 1, ReadAll, Read, Write, WriteLine, WriteBlankLines, SkipLine, AtEndOfStream, AtEndOfLine, Line,
    Column, Close
};

class TextStream final : public BuiltinObject {
public:
    TextStream(int32_t mode, bool unicode, size_t maxString)
        : m_mode(mode), m_unicode(unicode), m_maxString(maxString) {}
    ~TextStream() override
    {
        try {
            close();
        } catch (const ScriptException&) {
            // Nobody is left to hear of a failure here; the original file stays as it was.
        }
    }
    std::u16string typeName() const override { return u"TextStream"; }

    // Reading: the whole text now. Writing: a temporary file beside the target (created empty
    // when missing, so it exists from now on). Appending: the file itself.
    void openRead(const std::string& path)
    {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            raiseErrno(errno);
        std::string bytes;
        char buf[65536];
        for (;;) {
            ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                int e = errno;
                ::close(fd);
                raiseErrno(e);
            }
            if (n == 0)
                break;
            bytes.append(buf, size_t(n));
            if (bytes.size() / 2 > m_maxString) {
                ::close(fd);
                raise(err::OutOfMemory);
            }
        }
        ::close(fd);
        decode(bytes);
        if (m_text.size() > m_maxString)
            raise(err::OutOfMemory);
    }

    void openWrite(const std::string& path, bool create)
    {
        requireParent(path);
        bool exists = isFile(path);
        if (isDirectory(path))
            raise(err::PermissionDenied);
        if (!exists && !create)
            raise(err::FileNotFound);
        if (exists && ::access(path.c_str(), W_OK) != 0)
            raiseErrno(errno);
        if (!exists) {
            int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0)
                raiseErrno(errno);
            ::close(fd);
        }
        m_path = path;
        m_fd = temporaryBeside(path, m_tempPath);
        m_open = true;
        if (m_unicode)
            m_pending = "\xFF\xFE";
    }

    void openAppend(const std::string& path, bool create)
    {
        requireParent(path);
        if (isDirectory(path))
            raise(err::PermissionDenied);
        int flags = O_WRONLY | O_APPEND | O_CLOEXEC | (create ? O_CREAT : 0);
        m_fd = ::open(path.c_str(), flags, 0666);
        if (m_fd < 0)
            raiseErrno(errno);
        m_open = true;
        struct stat st;
        if (m_unicode && ::fstat(m_fd, &st) == 0 && st.st_size == 0)
            m_pending = "\xFF\xFE";
    }

    void close()
    {
        if (m_closed)
            return;
        m_closed = true;
        if (m_mode == kForReading || !m_open)
            return;
        bool ok = flush();
        int e = errno;
        if (m_mode == kForAppending) {
            ::close(m_fd);
            if (!ok)
                raiseErrno(e);
            return;
        }
        if (!ok) {
            ::close(m_fd);
            ::unlink(m_tempPath.c_str());
            raiseErrno(e);
        }
        commitTemporary(m_fd, m_tempPath, m_path);
    }

protected:
    const std::vector<std::u16string_view>& members() const override
    {
        static const std::vector<std::u16string_view> names = {
            u"ReadLine", u"ReadAll", u"Read", u"Write", u"WriteLine", u"WriteBlankLines", u"SkipLine",
            u"AtEndOfStream", u"AtEndOfLine", u"Line", u"Column", u"Close"};
        return names;
    }

    Variant call(DispId id, InvokeKind kind, Args& args) override
    {
        requirePut(kind, false);
        if (m_closed && id != Close)
            raise(err::BadFileMode);
        bool reading = m_mode == kForReading;
        switch (id) {
        case ReadLine:
        case SkipLine: {
            requireArgs(args, 0, 0);
            needMode(reading);
            if (m_pos >= m_text.size())
                raise(err::PastEndOfFile);
            size_t end = m_text.find_first_of(u"\r\n", m_pos);
            if (end == std::u16string::npos)
                end = m_text.size();
            std::u16string line = m_text.substr(m_pos, end - m_pos);
            // The line ends at CR LF, LF or CR.
            m_pos = end;
            if (m_pos < m_text.size() && m_text[m_pos] == '\r') {
                ++m_pos;
                if (m_pos < m_text.size() && m_text[m_pos] == '\n')
                    ++m_pos;
            } else if (m_pos < m_text.size()) {
                ++m_pos;
            }
            ++m_line;
            m_column = 1;
            return id == ReadLine ? Variant::fromString(std::move(line)) : Variant();
        }
        case ReadAll: {
            requireArgs(args, 0, 0);
            needMode(reading);
            if (m_pos >= m_text.size())
                raise(err::PastEndOfFile);
            std::u16string rest = m_text.substr(m_pos);
            advance(rest);
            return Variant::fromString(std::move(rest));
        }
        case Read: {
            requireArgs(args, 1, 1);
            needMode(reading);
            int32_t n = toLng(args[0]);
            if (n < 0)
                raise(err::InvalidCall);
            if (m_pos >= m_text.size())
                raise(err::PastEndOfFile);
            std::u16string part = m_text.substr(m_pos, size_t(n));
            advance(part);
            return Variant::fromString(std::move(part));
        }
        case Write:
            requireArgs(args, 1, 1);
            needMode(!reading);
            put(stringArg(args[0]));
            return Variant();
        case WriteLine:
            requireArgs(args, 0, 1);
            needMode(!reading);
            put((args.empty() ? std::u16string() : stringArg(args[0])) + u"\n");
            return Variant();
        case WriteBlankLines: {
            requireArgs(args, 1, 1);
            needMode(!reading);
            int32_t n = toLng(args[0]);
            if (n < 0)
                raise(err::InvalidCall);
            if (size_t(n) > m_maxString)
                raise(err::OutOfMemory);
            put(std::u16string(size_t(n), u'\n'));
            return Variant();
        }
        case AtEndOfStream:
            requireArgs(args, 0, 0);
            needMode(reading);
            return Variant::fromBool(m_pos >= m_text.size());
        case AtEndOfLine:
            requireArgs(args, 0, 0);
            needMode(reading);
            return Variant::fromBool(m_pos >= m_text.size() || m_text[m_pos] == '\r' || m_text[m_pos] == '\n');
        case Line:
            requireArgs(args, 0, 0);
            return Variant::fromLong(m_line);
        case Column:
            requireArgs(args, 0, 0);
            return Variant::fromLong(m_column);
        case Close:
            requireArgs(args, 0, 0);
            close();
            return Variant();
        default:
            raise(err::NoSuchMember);
        }
    }

private:
    static void needMode(bool ok)
    {
        if (!ok)
            raise(err::BadFileMode);
    }

    void decode(const std::string& bytes)
    {
        bool bom16 = bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE;
        if (m_unicode || bom16) {
            size_t start = bom16 ? 2 : 0;
            m_text.reserve((bytes.size() - start) / 2);
            for (size_t i = start; i + 1 < bytes.size(); i += 2)
                m_text.push_back(char16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8)));
            return;
        }
        size_t start = bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
        m_text = fromUtf8(std::string_view(bytes).substr(start));
    }

    void advance(const std::u16string& consumed)
    {
        m_pos += consumed.size();
        for (char16_t c : consumed) {
            if (c == '\n') {
                ++m_line;
                m_column = 1;
            } else {
                ++m_column;
            }
        }
    }

    void put(const std::u16string& text)
    {
        if (m_unicode) {
            for (char16_t c : text) {
                m_pending.push_back(char(c & 0xFF));
                m_pending.push_back(char(c >> 8));
            }
        } else {
            m_pending += toUtf8(text);
        }
        for (char16_t c : text) {
            if (c == '\n') {
                ++m_line;
                m_column = 1;
            } else {
                ++m_column;
            }
        }
        if (m_pending.size() >= 65536 && !flush())
            raiseErrno(errno);
    }

    bool flush()
    {
        if (m_pending.empty())
            return true;
        bool ok = writeAll(m_fd, m_pending);
        m_pending.clear();
        return ok;
    }

    int32_t m_mode;
    bool m_unicode;
    size_t m_maxString;
    bool m_closed = false;
    bool m_open = false;    // writing: the file descriptor is ours to close
    std::u16string m_text;  // reading
    size_t m_pos = 0;
    int32_t m_line = 1, m_column = 1;
    int m_fd = -1;  // writing and appending
    std::string m_path, m_tempPath, m_pending;
};

// ---- Folder (what CreateFolder returns)

class Folder final : public BuiltinObject {
public:
    enum Member : DispId { Path = 1, Name };
    explicit Folder(std::string path) : m_path(std::move(path)) {}
    std::u16string typeName() const override { return u"Folder"; }

protected:
    const std::vector<std::u16string_view>& members() const override
    {
        static const std::vector<std::u16string_view> names = {u"Path", u"Name"};
        return names;
    }
    Variant call(DispId id, InvokeKind kind, Args& args) override
    {
        requirePut(kind, false);
        requireArgs(args, 0, 0);
        if (id == kDispIdValue || id == Path)
            return Variant::fromString(u16(absolutePath(m_path)));
        if (id == Name)
            return Variant::fromString(u16(fileName(absolutePath(m_path))));
        raise(err::NoSuchMember);
    }

private:
    std::string m_path;
};

// ---- FileSystemObject

enum FsoMember : DispId {
    FileExists = 1, FolderExists, CreateFolder, DeleteFile, CopyFile, MoveFile, GetFileName, GetBaseName,
    GetExtensionName, GetParentFolderName, BuildPath, GetAbsolutePathName, GetTempName, OpenTextFile,
    CreateTextFile
};

class FileSystem final : public BuiltinObject {
public:
    explicit FileSystem(size_t maxString) : m_maxString(maxString) {}
    std::u16string typeName() const override { return u"FileSystemObject"; }

protected:
    const std::vector<std::u16string_view>& members() const override
    {
        static const std::vector<std::u16string_view> names = {
            u"FileExists", u"FolderExists", u"CreateFolder", u"DeleteFile", u"CopyFile", u"MoveFile",
            u"GetFileName", u"GetBaseName", u"GetExtensionName", u"GetParentFolderName", u"BuildPath",
            u"GetAbsolutePathName", u"GetTempName", u"OpenTextFile", u"CreateTextFile"};
        return names;
    }

    Variant call(DispId id, InvokeKind kind, Args& args) override
    {
        requirePut(kind, false);
        switch (id) {
        case FileExists:
            requireArgs(args, 1, 1);
            return Variant::fromBool(isFile(pathArg(args[0])));
        case FolderExists:
            requireArgs(args, 1, 1);
            return Variant::fromBool(isDirectory(pathArg(args[0])));
        case CreateFolder: {
            requireArgs(args, 1, 1);
            std::string p = stripTrailing(pathArg(args[0]));
            if (isDirectory(p) || isFile(p))
                raise(err::FileExists);
            requireParent(p);
            if (::mkdir(p.c_str(), 0777) != 0)
                raiseErrno(errno);
            return Variant::fromObject(ObjectRef(new Folder(p)));
        }
        case DeleteFile: {
            requireArgs(args, 1, 2);
            bool force = hasArg(args, 1) && toBoolean(args[1]);
            std::vector<std::string> files = matchingFiles(pathArg(args[0]));
            if (files.empty())
                raise(err::FileNotFound);
            for (const std::string& f : files) {
                if (!force && ::access(f.c_str(), W_OK) != 0)
                    raise(err::PermissionDenied);  // read-only without Force
                if (::unlink(f.c_str()) != 0)
                    raiseErrno(errno);
            }
            return Variant();
        }
        case CopyFile:
        case MoveFile: {
            requireArgs(args, 2, id == CopyFile ? 3 : 2);
            bool overwrite = id == CopyFile && (!hasArg(args, 2) || toBoolean(args[2]));
            std::string from = pathArg(args[0]), to = pathArg(args[1]);
            std::vector<std::string> files = matchingFiles(from);
            if (files.empty())
                raise(err::FileNotFound);
            bool intoFolder = !to.empty() && to.back() == '/';
            if ((intoFolder || files.size() > 1 || hasWildcard(fileName(from))) && !isDirectory(to))
                raise(err::PathNotFound);
            if (!intoFolder && files.size() == 1 && !hasWildcard(fileName(from)) && isDirectory(to))
                raise(err::PermissionDenied);  // a folder of that name is in the way
            for (const std::string& f : files) {
                std::string target = isDirectory(to) ? stripTrailing(to) + "/" + fileName(f) : to;
                requireParent(target);
                if (isFile(target) && (!overwrite || id == MoveFile))
                    raise(err::FileExists);
                if (id == CopyFile) {
                    copyFile(f, target);
                } else if (::rename(f.c_str(), target.c_str()) != 0) {
                    if (errno != EXDEV)
                        raiseErrno(errno);
                    copyFile(f, target);  // another file system: copy, then remove the source
                    if (::unlink(f.c_str()) != 0)
                        raiseErrno(errno);
                }
            }
            return Variant();
        }
        case GetFileName:
            requireArgs(args, 1, 1);
            return Variant::fromString(u16(fileName(pathArg(args[0]))));
        case GetBaseName:
        case GetExtensionName: {
            requireArgs(args, 1, 1);
            std::string name = fileName(pathArg(args[0]));
            size_t dot = name.rfind('.');
            if (id == GetBaseName)
                return Variant::fromString(u16(dot == std::string::npos ? name : name.substr(0, dot)));
            return Variant::fromString(u16(dot == std::string::npos ? std::string() : name.substr(dot + 1)));
        }
        case GetParentFolderName:
            requireArgs(args, 1, 1);
            return Variant::fromString(u16(parentFolder(pathArg(args[0]))));
        case BuildPath: {
            requireArgs(args, 2, 2);
            std::u16string base = stringArg(args[0]), name = stringArg(args[1]);
            size_t skip = name.find_first_not_of(u'/');
            name = skip == std::u16string::npos ? std::u16string() : name.substr(skip);
            if (base.empty())
                return Variant::fromString(name);
            if (base.back() != '/')
                base += u'/';
            return Variant::fromString(base + name);
        }
        case GetAbsolutePathName:
            requireArgs(args, 1, 1);
            return Variant::fromString(u16(absolutePath(pathArg(args[0]))));
        case GetTempName: {
            requireArgs(args, 0, 0);
            thread_local std::mt19937 random{std::random_device{}()};
            char buf[16];
            std::snprintf(buf, sizeof buf, "rad%05X.tmp", unsigned(random() & 0xFFFFF));
            return Variant::fromString(u16(buf));
        }
        case OpenTextFile: {
            requireArgs(args, 1, 4);
            std::string path = pathArg(args[0]);
            int32_t mode = hasArg(args, 1) ? toLng(args[1]) : kForReading;
            bool create = hasArg(args, 2) && toBoolean(args[2]);
            int32_t format = hasArg(args, 3) ? toLng(args[3]) : 0;
            if (mode != kForReading && mode != kForWriting && mode != kForAppending)
                raise(err::InvalidCall);
            if (format != 0 && format != -1 && format != -2)
                raise(err::InvalidCall);
            auto stream = makeRef<TextStream>(mode, format == kTristateTrue, m_maxString);
            if (mode == kForReading) {
                if (!isFile(path)) {
                    requireParent(path);
                    if (create) {
                        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
                        if (fd < 0)
                            raiseErrno(errno);
                        ::close(fd);
                    }
                }
                stream->openRead(path);
            } else if (mode == kForWriting) {
                stream->openWrite(path, create);
            } else {
                stream->openAppend(path, create);
            }
            return Variant::fromObject(stream);
        }
        case CreateTextFile: {
            requireArgs(args, 1, 3);
            std::string path = pathArg(args[0]);
            bool overwrite = !hasArg(args, 1) || toBoolean(args[1]);
            bool unicode = hasArg(args, 2) && toBoolean(args[2]);
            if (isFile(path) && !overwrite)
                raise(err::FileExists);
            auto stream = makeRef<TextStream>(kForWriting, unicode, m_maxString);
            stream->openWrite(path, true);
            return Variant::fromObject(stream);
        }
        default:
            raise(err::NoSuchMember);
        }
    }

private:
    size_t m_maxString;
};

}  // namespace

ObjectRef newFileSystem(Context& ctx)
{
    return ObjectRef(new FileSystem(ctx.limits.maxStringLength));
}

}  // namespace qp::vbs
