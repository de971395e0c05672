#include "FileSave.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace qp {

namespace {

// A descriptor closed when it goes.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now; a delayed write error reported by close counts.
    int close()
    {
        const int fd = std::exchange(m_fd, -1);
        return fd >= 0 && ::close(fd) != 0 && errno != EINTR ? errno : 0;
    }

private:
    int m_fd;
};

// Writes every byte at `offset`: 0, or the errno of the failure.
int writeAt(int fd, const char* data, size_t size, off_t offset)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, data + done, size - done, offset + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return ENOSPC;
        done += size_t(n);
    }
    return 0;
}

// Copies `size` bytes from the start of one file to the start of another, a block at a time.
int copyContents(int from, int to, off_t size)
{
    char buffer[1 << 16];
    off_t at = 0;
    while (at < size) {
        const ssize_t n = ::pread(from, buffer, sizeof buffer, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return EIO;  // shorter than it was: the copy would not be whole
        if (const int e = writeAt(to, buffer, size_t(n), at))
            return e;
        at += n;
    }
    return 0;
}

int syncAndClose(Fd& fd)
{
    if (::fsync(fd.get()) != 0)
        return errno;
    return fd.close();
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a path names once its symbolic links are followed (a link to nothing yet names
// the file to create). 0, or the errno.
int followLinks(std::string path, std::string& target)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            target = std::move(path);
            return 0;
        }
        std::string link(size_t(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
        if (n < 0)
            return errno;
        link.resize(size_t(n));
        if (link.empty())
            return ENOENT;
        if (link[0] != '/') {
            const size_t slash = path.rfind('/');
            link = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + link;
        }
        path = std::move(link);
    }
    return ELOOP;
}

// The process's file mode mask, read without changing it (umask() would, for a moment,
// for every thread).
mode_t currentUmask()
{
    mode_t mask = 022;
    if (FILE* f = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (unsigned value = 0; std::sscanf(line, "Umask: %o", &value) == 1) {
                mask = mode_t(value) & 0777;
                break;
            }
        std::fclose(f);
    }
    return mask;
}

void syncFolder(const std::string& folder)
{
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid())
        ::fsync(dir.get());  // the rename made durable; the file is saved either way
}

// Removes a file at scope end unless kept.
struct Unlinker {
    std::string path;
    ~Unlinker()
    {
        if (!path.empty())
            ::unlink(path.c_str());
    }
};

// The usual way: a new file beside the old one, then renamed over it. `inPlaceInstead` is
// set when this cannot keep what the file is (its folder takes no new file, or its owner
// cannot be carried over) and the old file was not touched.
int replaceByRename(const std::string& target, const struct stat* old, const std::string& bytes, bool& inPlaceInstead)
{
    const std::string folder = folderOf(target);
    std::string temp = folder + "/.pallant-save-XXXXXX";
    Fd file(::mkostemp(temp.data(), O_CLOEXEC));
    if (!file.valid()) {
        const int e = errno;
        inPlaceInstead = old && (e == EACCES || e == EPERM);
        return e;
    }
    Unlinker removeTemp{temp};
    mode_t mode = 0666 & ~currentUmask();
    if (old) {
        mode = old->st_mode & 07777;
        struct stat made {};
        if (::fstat(file.get(), &made) != 0)
            return errno;
        if ((made.st_uid != old->st_uid || made.st_gid != old->st_gid) &&
            ::fchown(file.get(), old->st_uid, old->st_gid) != 0) {
            const int e = errno;
            inPlaceInstead = e == EPERM;
            return e;
        }
    }
    if (const int e = writeAt(file.get(), bytes.data(), bytes.size(), 0))
        return e;
    // After the owner and the writing: both clear the set-id bits.
    if (::fchmod(file.get(), mode) != 0)
        return errno;
    if (const int e = syncAndClose(file))
        return e;
    if (::rename(temp.c_str(), target.c_str()) != 0)
        return errno;
    removeTemp.path.clear();
    syncFolder(folder);
    return 0;
}

// Copies the old contents of `file` (`size` bytes) to a new file, flushed: beside it, or,
// when its folder takes none or has no room, where temporary files go. The copy's name, or
// the errno of the last place tried.
int copyOldContents(const std::string& target, int file, off_t size, std::string& name)
{
    const std::string base = "/" + nameOf(target).substr(0, 200) + ".old-XXXXXX";
    std::string folders[] = {folderOf(target), std::string(), "/var/tmp", "/tmp"};
    if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp == '/')
        folders[1] = tmp;
    int error = EACCES;
    for (const std::string& folder : folders) {
        if (folder.empty())
            continue;
        name = folder + base;
        Fd copy(::mkostemp(name.data(), O_CLOEXEC));
        if (!copy.valid()) {
            error = errno;
            continue;
        }
        error = copyContents(file, copy.get(), size);
        if (error == 0)
            error = syncAndClose(copy);
        if (error == 0)
            return 0;
        ::unlink(name.c_str());
    }
    name.clear();
    return error;
}

// Writes the file where it is: same inode, so its links, owner and mode stay.
FileSaveResult rewriteInPlace(const std::string& target, const std::string& bytes)
{
    Fd file(::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY));
    if (!file.valid())
        return {errno, {}};
    struct stat old {};
    if (::fstat(file.get(), &old) != 0)
        return {errno, {}};
    if (!S_ISREG(old.st_mode))
        return {EINVAL, {}};

    // The old contents are copied and flushed elsewhere before a byte of the file changes.
    std::string copyName;
    if (const int e = copyOldContents(target, file.get(), old.st_size, copyName))
        return {e, {}};
    Unlinker removeCopy{copyName};

    // Room for the new text first (without changing the size): a full disk fails here,
    // with the file as it was. A file system that cannot reserve room skips this.
    if (off_t(bytes.size()) > old.st_size) {
        const int r = ::fallocate(file.get(), FALLOC_FL_KEEP_SIZE, 0, off_t(bytes.size())) == 0 ? 0 : errno;
        if (r != 0 && r != EOPNOTSUPP && r != ENOSYS && r != EINVAL)
            return {r, {}};
    }
    int e = writeAt(file.get(), bytes.data(), bytes.size(), 0);
    if (e == 0 && ::ftruncate(file.get(), off_t(bytes.size())) != 0)
        e = errno;
    // Writing clears the set-id bits: given back where we may (the owner may).
    if (struct stat now {}; e == 0 && ::fstat(file.get(), &now) == 0 && now.st_mode != old.st_mode)
        ::fchmod(file.get(), old.st_mode & 07777);
    if (e == 0 && ::fsync(file.get()) != 0)
        e = errno;
    if (e == 0) {
        if (const int closed = file.close()) {
            removeCopy.path.clear();  // the file may not hold what was written: keep the copy
            return {closed, copyName};
        }
        return {};
    }
    // Put the old contents back; the copy stays (and is named) if even that fails.
    Fd back(::open(copyName.c_str(), O_RDONLY | O_CLOEXEC));
    int restore = back.valid() ? copyContents(back.get(), file.get(), old.st_size) : errno;
    if (restore == 0 && ::ftruncate(file.get(), old.st_size) != 0)
        restore = errno;
    if (restore == 0 && ::fsync(file.get()) != 0)
        restore = errno;
    if (restore != 0) {
        removeCopy.path.clear();
        return {e, copyName};
    }
    return {e, {}};
}

}  // namespace

FileSaveResult SaveFileContents(const std::string& path, const std::string& bytes)
{
    std::string target;
    if (const int e = followLinks(path, target))
        return {e, {}};
    struct stat old {};
    if (::stat(target.c_str(), &old) != 0) {
        if (errno != ENOENT)
            return {errno, {}};
        bool unused = false;
        return {replaceByRename(target, nullptr, bytes, unused), {}};  // a new file
    }
    if (S_ISDIR(old.st_mode))
        return {EISDIR, {}};
    if (!S_ISREG(old.st_mode))
        return {EINVAL, {}};
    if (old.st_nlink > 1)
        return rewriteInPlace(target, bytes);
    bool inPlaceInstead = false;
    const int e = replaceByRename(target, &old, bytes, inPlaceInstead);
    if (inPlaceInstead)
        return rewriteInPlace(target, bytes);
    return {e, {}};
}

}  // namespace qp
