#include "sys/HostPath.h"

#include "sys/UniqueDir.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <vector>

namespace ornibe {

std::string fileName(std::string_view path) {
    size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string folderPart(std::string_view path) {
    size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) {
        return {};
    }
    if (slash == 0) {
        return "/";
    }
    return std::string(path.substr(0, slash));
}

std::string joinPath(std::string_view a, std::string_view b) {
    while (!b.empty() && b.front() == '/') {
        b.remove_prefix(1);
    }
    if (a.empty()) {
        return std::string(b);
    }
    std::string out(a);
    if (b.empty()) {
        return out;
    }
    if (out.back() != '/') {
        out += '/';
    }
    out += b;
    return out;
}

namespace {

std::string currentFolder() {
    std::vector<char> buffer(4096);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return "/";
        }
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

} // namespace

std::string withTrailingSlash(std::string path) {
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path;
}

std::string withoutTrailingSlash(std::string path) {
    if (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string makeAbsolute(std::string_view path, std::string_view base) {
    return makeAbsolute(!path.empty() && path.front() == '/' ? std::string(path)
                                                             : joinPath(base, path));
}

std::string makeAbsolute(std::string_view path) {
    std::string full =
        !path.empty() && path.front() == '/' ? std::string(path) : joinPath(currentFolder(), path);
    bool trailing = full.size() > 1 && full.back() == '/';
    std::vector<std::string_view> parts;
    std::string_view rest(full);
    while (!rest.empty()) {
        size_t slash = rest.find('/');
        std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
            continue;
        }
        parts.push_back(part);
    }
    std::string out;
    for (std::string_view part : parts) {
        out += '/';
        out += part;
    }
    if (out.empty()) {
        return "/";
    }
    if (trailing) {
        out += '/';
    }
    return out;
}

std::optional<std::string> realPath(const std::string& path) {
    std::unique_ptr<char, void (*)(void*)> resolved(::realpath(path.c_str(), nullptr), std::free);
    if (!resolved) {
        return std::nullopt;
    }
    return std::string(resolved.get());
}

std::string hostRealPath(const std::string& path) {
    std::string rest;
    std::string part = withoutTrailingSlash(makeAbsolute(path));
    while (true) {
        if (std::optional<std::string> real = realPath(part)) {
            return joinPath(*real, rest);
        }
        if (part == "/" || part.empty()) {
            return joinPath("/", rest);
        }
        rest = rest.empty() ? fileName(part) : joinPath(fileName(part), rest);
        part = folderPart(part);
    }
}

bool isSameOrInside(std::string_view inner, std::string_view outer) {
    if (inner == outer) {
        return true;
    }
    if (outer == "/") {
        return inner.substr(0, 1) == "/";
    }
    return inner.size() > outer.size() && inner.substr(0, outer.size()) == outer &&
           inner[outer.size()] == '/';
}

LinkTarget followLink(const std::string& link, const std::string& realRoot) {
    LinkTarget target;
    target.real = realPath(link).value_or(std::string());
    if (target.real.empty()) {
        target.leads = LinkTarget::Leads::Nowhere;
    } else if (!isSameOrInside(target.real, realRoot)) {
        target.leads = LinkTarget::Leads::Outside;
    } else if (::stat(target.real.c_str(), &target.st) != 0) {
        target.leads = LinkTarget::Leads::Unreadable;
        target.error = errno;
    } else {
        target.leads = LinkTarget::Leads::Inside;
    }
    return target;
}

bool existsAsFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isReadOnly(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

bool existsAsFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::vector<std::string>> folderEntries(const std::string& path) {
    UniqueDir dir(opendir(path.empty() ? "." : path.c_str()));
    if (!dir) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir.get())) {
        std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            names.emplace_back(name);
        }
    }
    return names;
}

bool folderIsEmpty(const std::string& path) {
    UniqueDir dir(opendir(path.c_str()));
    if (!dir) {
        return false;
    }
    while (dirent* entry = readdir(dir.get())) {
        std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            return false;
        }
    }
    return true;
}

bool isDriveRoot(const std::string& path) {
    std::string absolute = makeAbsolute(path);
    if (absolute == "/") {
        return true;
    }
    struct stat self {};
    struct stat parent {};
    if (stat(absolute.c_str(), &self) != 0 || !S_ISDIR(self.st_mode)) {
        return false;
    }
    std::string up = joinPath(absolute, "..");
    if (stat(up.c_str(), &parent) != 0) {
        return false;
    }
    return self.st_dev != parent.st_dev || self.st_ino == parent.st_ino;
}

std::optional<std::uint64_t> bytesFree(const std::string& path) {
    std::string folder = makeAbsolute(path);
    while (true) {
        if (existsAsFolder(folder)) {
            struct statvfs vfs {};
            if (statvfs(folder.c_str(), &vfs) != 0) {
                return std::nullopt;
            }
            return std::uint64_t(vfs.f_bavail) * std::uint64_t(vfs.f_frsize);
        }
        if (folder == "/") {
            return std::nullopt;
        }
        folder = folderPart(folder);
        if (folder.empty()) {
            return std::nullopt;
        }
    }
}

} // namespace ornibe
