#include "ContentTwins.h"

#include "sys/FileError.h"
#include "sys/UniqueFd.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <vector>

namespace ornibe {
namespace {

class ReadFd {
public:
    explicit ReadFd(const std::string& path)
        : path_(path), fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        if (!fd_.valid()) {
            throwFileError("open", path, errno);
        }
    }

    // Fills buffer as far as the file goes; the count read.
    size_t read(char* buffer, size_t size) {
        size_t done = 0;
        while (done < size) {
            ssize_t n = ::read(fd_.get(), buffer + done, size - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                throwFileError("read", path_, errno);
            }
            if (n == 0) {
                break;
            }
            done += static_cast<size_t>(n);
        }
        return done;
    }

private:
    std::string path_;
    UniqueFd fd_;
};

constexpr size_t kChunk = 1 << 20;

std::uint64_t hashFile(const std::string& path) {
    ReadFd fd(path);
    std::vector<char> buffer(kChunk);
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    while (size_t n = fd.read(buffer.data(), buffer.size())) {
        for (size_t i = 0; i < n; ++i) {
            hash = (hash ^ static_cast<unsigned char>(buffer[i])) * 1099511628211ull;
        }
    }
    return hash;
}

bool sameBytes(const std::string& a, const std::string& b) {
    ReadFd fa(a);
    ReadFd fb(b);
    std::vector<char> ba(kChunk);
    std::vector<char> bb(kChunk);
    while (true) {
        size_t na = fa.read(ba.data(), ba.size());
        size_t nb = fb.read(bb.data(), bb.size());
        if (na != nb || !std::equal(ba.begin(), ba.begin() + static_cast<long>(na), bb.begin())) {
            return false;
        }
        if (na == 0) {
            return true;
        }
    }
}

} // namespace

std::vector<size_t> findContentTwins(const std::vector<std::string>& paths,
                                     const std::vector<std::uint64_t>& sizes) {
    std::vector<size_t> twinOf(paths.size());
    std::map<std::uint64_t, std::vector<size_t>> bySize;
    for (size_t i = 0; i < paths.size(); ++i) {
        twinOf[i] = i;
        if (sizes[i] > 0) {
            bySize[sizes[i]].push_back(i);
        }
    }
    for (const auto& [size, group] : bySize) {
        if (group.size() < 2) {
            continue;
        }
        // Within one hash, the distinct contents seen so far, each by its
        // first file.
        std::map<std::uint64_t, std::vector<size_t>> firstByHash;
        for (size_t index : group) {
            std::vector<size_t>& firsts = firstByHash[hashFile(paths[index])];
            bool joined = false;
            for (size_t first : firsts) {
                if (sameBytes(paths[first], paths[index])) {
                    twinOf[index] = first;
                    joined = true;
                    break;
                }
            }
            if (!joined) {
                firsts.push_back(index);
            }
        }
    }
    return twinOf;
}

} // namespace ornibe
