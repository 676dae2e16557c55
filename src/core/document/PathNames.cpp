#include "document/PathNames.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <system_error>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace vtm {

bool RegularFileExists(const std::string &path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string DirectoryOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string BaseNameOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string BackupNameFor(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t baseStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < baseStart)
        return path + ".~";
    return path.substr(0, dot) + ("." + std::string("~") + path.substr(dot + 1)).substr(0, 4);
}

std::string AbsolutePath(const std::string &path)
{
    if (path.empty() || path[0] == '/')
        return path;
    std::error_code ec;
    std::string out = std::filesystem::current_path(ec).string();
    if (ec || out.empty())
        return path;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string part = path.substr(start, end - start);
        if (!part.empty() && part != ".") {
            if (out.back() != '/')
                out += '/';
            out += part;
        }
        start = end + 1;
    }
    if (path.back() == '/' && out.back() != '/')
        out += '/';
    return out;
}

std::string ResolveLinks(const std::string &path)
{
    std::string p = path;
    // The system gives up after 40 links as well.
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return p;
        std::vector<char> buf(std::size_t(std::max<off_t>(st.st_size, PATH_MAX)) + 1);
        const ssize_t len = ::readlink(p.c_str(), buf.data(), buf.size() - 1);
        if (len <= 0)
            return p;
        const std::string to(buf.data(), std::size_t(len));
        if (to[0] == '/') {
            p = to;
        } else {
            const std::string dir = DirectoryOf(p);
            p = dir.empty() ? to : (dir == "/" ? "/" : dir + "/") + to;
        }
    }
    return p;
}

} // namespace vtm
