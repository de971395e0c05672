// Saving a script: through links, in place when a new file would change what the file is,
// and never losing the old version when the save fails.
#include "scriptwin/FileSave.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <iterator>
#include <sched.h>
#include <set>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qp;
namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

// A private folder for each test, with a private TMPDIR inside it for copies made elsewhere;
// both reachable by another user (tests run as root save as nobody).
struct SaveDir {
    fs::path path;
    fs::path tmp;
    std::string oldTmp;
    bool hadTmp = false;
    SaveDir()
    {
        std::string pattern = (fs::temp_directory_path() / "qp-save-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
        ::chmod(path.c_str(), 0755);
        tmp = path / "tmp";
        fs::create_directory(tmp);
        ::chmod(tmp.c_str(), 01777);
        if (const char* t = std::getenv("TMPDIR")) {
            hadTmp = true;
            oldTmp = t;
        }
        ::setenv("TMPDIR", tmp.c_str(), 1);
        path = path / "files";
        fs::create_directory(path);
    }
    ~SaveDir()
    {
        if (hadTmp)
            ::setenv("TMPDIR", oldTmp.c_str(), 1);
        else
            ::unsetenv("TMPDIR");
        std::error_code ec;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path.parent_path(), ec);
    }
    std::string file(const char* name, const std::string& text) const
    {
        const std::string p = (path / name).string();
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    // Every name in the folder and in the private TMPDIR: no temporary file or copy is left.
    std::set<std::string> names() const
    {
        std::set<std::string> all;
        for (const fs::path& folder : {path, tmp})
            for (const auto& entry : fs::directory_iterator(folder))
                all.insert(entry.path().filename().string());
        return all;
    }
};

std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct stat statOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

// Runs f in a child process (for its own limits, user or mounts): its exit status (f's
// result), or 100 and the signal that ended it. The tests have no threads to fork with.
int inChild(const std::function<int()>& f)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(f());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

bool becomeNobody()
{
    return ::geteuid() != 0 || (::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0);
}

}  // namespace

TEST(FileSave, ThroughSymbolicLinksToTheFileTheyName)
{
    SaveDir dir;
    fs::create_directory(dir.path / "real");
    const std::string target = dir.file("real/script.vbs", "old");
    // A relative link to a relative link, into another folder.
    fs::create_symlink("real/script.vbs", dir.path / "inner.vbs");
    fs::create_symlink("inner.vbs", dir.path / "outer.vbs");
    const ino_t inode = statOf(target).st_ino;
    ASSERT_TRUE(SaveFileContents((dir.path / "outer.vbs").string(), "new text").saved());
    EXPECT_TRUE(fs::is_symlink(dir.path / "outer.vbs"));
    EXPECT_TRUE(fs::is_symlink(dir.path / "inner.vbs"));
    EXPECT_EQ(contents(target), "new text");
    EXPECT_NE(statOf(target).st_ino, inode) << "a single file is replaced by a new one";

    // A link to a file not there yet makes that file; the link stays.
    fs::create_symlink("real/made.vbs", dir.path / "ahead.vbs");
    ASSERT_TRUE(SaveFileContents((dir.path / "ahead.vbs").string(), "made").saved());
    EXPECT_TRUE(fs::is_symlink(dir.path / "ahead.vbs"));
    EXPECT_EQ(contents((dir.path / "real/made.vbs").string()), "made");

    // Links in a loop name no file.
    fs::create_symlink("loop-b", dir.path / "loop-a");
    fs::create_symlink("loop-a", dir.path / "loop-b");
    EXPECT_EQ(SaveFileContents((dir.path / "loop-a").string(), "x").error, ELOOP);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"ahead.vbs", "inner.vbs", "loop-a", "loop-b", "outer.vbs", "real"}));
}

TEST(FileSave, WhatIsNotAFileIsRefused)
{
    SaveDir dir;
    fs::create_directory(dir.path / "folder");
    ASSERT_EQ(::mkfifo((dir.path / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(SaveFileContents((dir.path / "folder").string(), "x").error, EISDIR);
    EXPECT_EQ(SaveFileContents((dir.path / "fifo").string(), "x").error, EINVAL);
    EXPECT_EQ(SaveFileContents((dir.path / "none/x.vbs").string(), "x").error, ENOENT);
    EXPECT_TRUE(fs::is_fifo(dir.path / "fifo"));
}

TEST(FileSave, HardLinksModeAndOwnerStay)
{
    SaveDir dir;
    const bool root = ::geteuid() == 0;
    const std::string one = dir.file("one.vbs", "old, longer than the new");
    const std::string two = (dir.path / "two.vbs").string();
    fs::create_hard_link(one, two);
    if (root) {
        ASSERT_EQ(::chown(one.c_str(), kNobody, kNobody), 0);
    }
    ASSERT_EQ(::chmod(one.c_str(), 04750), 0);
    const struct stat before = statOf(one);
    ASSERT_TRUE(SaveFileContents(one, "new").saved());
    EXPECT_EQ(contents(two), "new") << "both names see the new text";
    const struct stat after = statOf(one);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_nlink, 2u);
    EXPECT_EQ(after.st_mode & 07777, 04750u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);

    // A single file replaced by a new one keeps mode (set-id bits too) and owner.
    const std::string single = dir.file("single.vbs", "old");
    if (root) {
        ASSERT_EQ(::chown(single.c_str(), kNobody, kNobody), 0);
    }
    ASSERT_EQ(::chmod(single.c_str(), 04750), 0);
    const struct stat singleBefore = statOf(single);
    ASSERT_TRUE(SaveFileContents(single, "new").saved());
    EXPECT_EQ(contents(single), "new");
    EXPECT_EQ(statOf(single).st_mode & 07777, singleBefore.st_mode & 07777);
    EXPECT_EQ(statOf(single).st_uid, singleBefore.st_uid);
    EXPECT_EQ(statOf(single).st_gid, singleBefore.st_gid);

    // A new file gets the usual mode.
    const mode_t mask = ::umask(027);
    const std::string made = (dir.path / "made.vbs").string();
    const bool saved = SaveFileContents(made, "made").saved();
    ::umask(mask);
    ASSERT_TRUE(saved);
    EXPECT_EQ(statOf(made).st_mode & 07777, 0640u);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"made.vbs", "one.vbs", "single.vbs", "two.vbs"}));
}

// A folder that takes no new file, or a file whose owner a new file could not get: written
// in place, after a copy elsewhere, which goes once the save is done.
TEST(FileSave, InPlaceWhenANewFileCannotTakeItsPlace)
{
    SaveDir dir;
    const bool root = ::geteuid() == 0;
    const std::string path = dir.file("script.vbs", "old contents");
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    if (root) {
        ASSERT_EQ(::chown(dir.path.c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
    }
    ASSERT_EQ(::chmod(dir.path.c_str(), 0555), 0);
    const ino_t inode = statOf(path).st_ino;
    EXPECT_EQ(inChild([&] {
                  if (!becomeNobody())
                      return 1;
                  return SaveFileContents(path, "new contents, longer than the old").error;
              }),
              0);
    EXPECT_EQ(contents(path), "new contents, longer than the old");
    EXPECT_EQ(statOf(path).st_ino, inode);
    EXPECT_EQ(statOf(path).st_mode & 07777, 0644u);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"script.vbs"}));

    // Neither the folder nor the file writable: an error, nothing changed.
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(inChild([&] {
                  if (!becomeNobody())
                      return 1;
                  return SaveFileContents(path, "x").error;
              }),
              EACCES);
    EXPECT_EQ(contents(path), "new contents, longer than the old");
    ASSERT_EQ(::chmod(dir.path.c_str(), 0755), 0);

    if (!root)
        return;
    // Someone else's file that we may write, in a folder we may write: a new file would be
    // ours, so it is written in place.
    const std::string theirs = dir.file("theirs.vbs", "old");
    ASSERT_EQ(::chmod(theirs.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir.path.c_str(), 0777), 0);
    EXPECT_EQ(inChild([&] {
                  if (::setgid(kNobody - 1) != 0 || ::setuid(kNobody - 1) != 0)
                      return 1;
                  return SaveFileContents(theirs, "new").error;
              }),
              0);
    EXPECT_EQ(contents(theirs), "new");
    EXPECT_EQ(statOf(theirs).st_uid, 0u);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"script.vbs", "theirs.vbs"}));
}

// A save that fails halfway (the file size limit stands in for a full disk) leaves the old
// version whole, whichever way it writes, and leaves no temporary file or copy.
TEST(FileSave, AFailedWriteLeavesTheOldVersion)
{
    enum Way { Replacing, HardLinked, ReadOnlyFolder };
    for (const Way way : {Replacing, HardLinked, ReadOnlyFolder}) {
        SCOPED_TRACE(way);
        SaveDir dir;
        const std::string path = dir.file("script.vbs", "old");
        std::set<std::string> names = {"script.vbs"};
        if (way == HardLinked) {
            fs::create_hard_link(path, dir.path / "other.vbs");
            names.insert("other.vbs");
        }
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(dir.path.c_str(), kNobody, kNobody), 0);
            ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
        }
        if (way == ReadOnlyFolder) {
            ASSERT_EQ(::chmod(dir.path.c_str(), 0555), 0);
        }
        EXPECT_EQ(inChild([&] {
                      std::signal(SIGXFSZ, SIG_IGN);
                      const rlimit limit{64, 64};
                      if (!becomeNobody() || ::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                          return 1;
                      const FileSaveResult r = SaveFileContents(path, std::string(4096, 'x'));
                      return r.error == EFBIG && r.keptCopy.empty() ? 0 : 2;
                  }),
                  0);
        EXPECT_EQ(contents(path), "old");
        ASSERT_EQ(::chmod(dir.path.c_str(), 0755), 0);
        EXPECT_EQ(dir.names(), names);
    }
}

// On a full disk (a small file system of its own, where this machine lets a test mount one).
TEST(FileSave, AFullDiskLeavesTheOldVersion)
{
    SaveDir dir;
    const std::string folder = dir.path.string();
    const int status = inChild([&] {
        // A mount namespace of its own, as root or as the user mapped to root in it.
        const uid_t uid = ::geteuid();
        const gid_t gid = ::getegid();
        if (uid != 0) {
            if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
                return 77;
            auto write = [](const char* file, const std::string& text) {
                std::ofstream out(file);
                out << text;
                return bool(out.flush());
            };
            if (!write("/proc/self/setgroups", "deny") || !write("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
                !write("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
                return 77;
        } else if (::unshare(CLONE_NEWNS) != 0) {
            return 77;
        }
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("qp-full", folder.c_str(), "tmpfs", 0, "size=64k") != 0)
            return 77;
        const std::string old(1000, 'o');
        const std::string big(200 * 1024, 'n');
        int failures = 0;
        auto check = [&](bool ok, const char* what) {
            if (!ok) {
                std::fprintf(stderr, "failed: %s\n", what);
                ++failures;
            }
        };
        auto make = [&](const std::string& name) {
            std::ofstream(folder + "/" + name, std::ios::binary) << old;
            return folder + "/" + name;
        };
        auto namesHere = [&] {
            std::set<std::string> all;
            for (const auto& entry : fs::directory_iterator(folder))
                all.insert(entry.path().filename().string());
            return all;
        };
        const std::string single = make("single.vbs");
        const std::string linked = make("linked.vbs");
        fs::create_hard_link(linked, folder + "/other.vbs");
        const std::set<std::string> names = {"linked.vbs", "other.vbs", "single.vbs"};
        for (const std::string& path : {single, linked}) {
            const FileSaveResult r = SaveFileContents(path, big);
            check(r.error == ENOSPC && r.keptCopy.empty(), "a text too big for the disk is refused");
            check(contents(path) == old, "the old version stays");
            check(namesHere() == names, "nothing is left on the full disk");
        }
        // Full to the last block: a new file cannot be written, but a shorter text can be
        // written in place once the copy is safe outside the full disk.
        {
            std::ofstream fill(folder + "/fill", std::ios::binary);
            const std::string block(4096, 'f');
            while (fill.write(block.data(), std::streamsize(block.size())) && fill.flush()) {
            }
        }
        const FileSaveResult r = SaveFileContents(single, "short");
        check(r.error == ENOSPC && r.keptCopy.empty(), "a full disk takes no new file");
        check(contents(single) == old, "the old version stays on a full disk");
        check(SaveFileContents(linked, "short").saved(), "a shorter text is written in place on a full disk");
        check(contents(folder + "/other.vbs") == "short", "through every link");
        return failures;
    });
    if (status == 77)
        GTEST_SKIP() << "no small file system can be mounted here";
    EXPECT_EQ(status, 0);
}
