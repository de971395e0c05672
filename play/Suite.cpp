#include "Suite.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fnmatch.h>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

namespace qp {

namespace {

bool endsWith(const std::string& s, std::string_view tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// A pattern with a slash is matched against the whole relative path; one without also
// against the file name alone, so "login.vbs" finds a/login.vbs.
bool matches(const std::string& pattern, const std::string& name) {
    if (fnmatch(pattern.c_str(), name.c_str(), 0) == 0)
        return true;
    if (pattern.find('/') != std::string::npos)
        return false;
    const size_t slash = name.find_last_of('/');
    return slash != std::string::npos && fnmatch(pattern.c_str(), name.c_str() + slash + 1, 0) == 0;
}

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The folder's own name as the class name's first part: "suite" for "tests/suite/".
std::string folderName(const std::string& folder) {
    const std::string f = withoutTrailingSlashes(folder);
    if (f == "/" )
        return "/";
    const size_t slash = f.find_last_of('/');
    const std::string last = slash == std::string::npos ? f : f.substr(slash + 1);
    return last.empty() || last == "." ? fs::current_path().filename().string() : last;
}

std::string identity(const std::string& path) {
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(path, ec);
    return ec ? path : canonical.string();
}

}  // namespace

SuiteScripts CollectScripts(const PlayOptions& options) {
    SuiteScripts result;
    std::vector<SuiteScript> all;
    std::set<std::string> seen;
    for (const std::string& given : options.scripts) {
        std::error_code ec;
        const fs::file_status status = fs::status(given, ec);
        if (ec || status.type() == fs::file_type::not_found) {
            result.error = "cannot read the script " + given + ": " +
                           (ec ? ec.message() : std::string(std::strerror(ENOENT)));
            return result;
        }
        if (status.type() != fs::file_type::directory) {
            const std::string parent = fs::path(given).parent_path().string();
            const SuiteScript s{given, fs::path(given).filename().string(), parent.empty() ? "." : parent};
            if (seen.insert(identity(given)).second)
                all.push_back(s);
            continue;
        }
        const std::string folder = withoutTrailingSlashes(given);
        std::vector<std::string> names;
        fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
        for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (!endsWith(name, ".vbs") || !it->is_regular_file(ec))
                continue;
            names.push_back(fs::relative(it->path(), folder, ec).generic_string());
        }
        if (ec) {
            result.error = "cannot read the folder " + given + ": " + ec.message();
            return result;
        }
        if (names.empty()) {
            result.error = "no *.vbs script in the folder " + given;
            return result;
        }
        std::sort(names.begin(), names.end());
        const std::string top = folderName(folder);
        for (const std::string& name : names) {
            const std::string path = (folder == "/" ? "" : folder) + "/" + name;
            const size_t slash = name.find_last_of('/');
            const std::string className = slash == std::string::npos ? top : top + "/" + name.substr(0, slash);
            if (seen.insert(identity(path)).second)
                all.push_back({path, name, className});
        }
    }

    std::vector<SuiteScript> filtered;
    for (SuiteScript& s : all) {
        const bool keep = options.filters.empty() ||
                          std::any_of(options.filters.begin(), options.filters.end(),
                                      [&](const std::string& f) { return matches(f, s.name); });
        if (keep)
            filtered.push_back(std::move(s));
    }
    if (filtered.empty() && !all.empty()) {
        result.error = "no script matches the filters";
        return result;
    }
    for (size_t i = size_t(options.shardIndex - 1); i < filtered.size(); i += size_t(options.shardCount))
        result.scripts.push_back(std::move(filtered[i]));
    return result;
}

std::string CannotWriteFile(const std::string& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return "it is a folder";
    fs::path parent = fs::path(path).parent_path();
    if (parent.empty())
        parent = ".";
    if (!fs::is_directory(parent, ec))
        return "the folder " + parent.string() + " does not exist";
    if (access(parent.c_str(), W_OK | X_OK) != 0)
        return "the folder " + parent.string() + ": " + std::strerror(errno);
    if (fs::exists(path, ec) && access(path.c_str(), W_OK) != 0 && errno != ENOENT)
        return std::strerror(errno);
    return "";
}

std::string CannotWriteFolder(const std::string& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
    if (!fs::is_directory(path, ec))
        return ec ? ec.message() : "it is not a folder";
    if (access(path.c_str(), W_OK | X_OK) != 0)
        return std::strerror(errno);
    return "";
}

}  // namespace qp
