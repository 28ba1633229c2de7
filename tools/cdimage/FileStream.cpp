#include "FileStream.h"

#include "sys/FileError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

// libisofs names the first member of its stream "class", which C++ cannot
// spell; its documentation asks C++ programs for a copy of the layout under
// another name.
struct iso_stream {
    IsoStreamIface* klass;
    int refcount;
    void* data;
};

namespace ornibe {
namespace {

// Every stream of this kind answers to this file system number in its
// identity; libisofs's own file systems use small numbers.
constexpr unsigned int kFileStreamFsId = 0x6f726e62;

// Reads are this large; a file smaller than this is read in one call.
constexpr size_t kReadSize = 256 * 1024;

struct FileStreamData {
    std::string path;
    off_t size = 0;
    dev_t device = 0;
    ino_t inode = 0;
    FileStreamProblem* problem = nullptr;
    int fd = -1;
    std::vector<char> buffer;
    size_t start = 0;
    size_t end = 0;
    off_t delivered = 0;

    int fail(const std::string& reason) {
        if (!problem->text) {
            problem->text = "cannot read " + path + ": " + reason;
        }
        return static_cast<int>(ISO_FILE_READ_ERROR);
    }
};

FileStreamData& dataOf(IsoStream* stream) {
    return *static_cast<FileStreamData*>(stream->data);
}

int streamOpen(IsoStream* stream) {
    FileStreamData& data = dataOf(stream);
    if (data.fd >= 0) {
        return static_cast<int>(ISO_FILE_ALREADY_OPENED);
    }
    data.fd = ::open(data.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (data.fd < 0) {
        return data.fail(systemReason(errno));
    }
    data.buffer.resize(static_cast<size_t>(
        std::min<off_t>(static_cast<off_t>(kReadSize), std::max<off_t>(data.size, 1))));
    data.start = data.end = 0;
    data.delivered = 0;
    return ISO_SUCCESS;
}

int streamClose(IsoStream* stream) {
    FileStreamData& data = dataOf(stream);
    if (data.fd < 0) {
        return static_cast<int>(ISO_FILE_NOT_OPENED);
    }
    ::close(data.fd);
    data.fd = -1;
    std::vector<char>().swap(data.buffer);
    return ISO_SUCCESS;
}

off_t streamSize(IsoStream* stream) {
    return dataOf(stream).size;
}

// Hands out what the buffer holds, refilling it from the file when it is
// empty; 0 at the file's end. A file that ends before or grows past the
// size it had when the tree was walked is a failure, not a short or
// cut-off copy.
int streamRead(IsoStream* stream, void* out, size_t count) {
    FileStreamData& data = dataOf(stream);
    if (data.fd < 0) {
        return static_cast<int>(ISO_FILE_NOT_OPENED);
    }
    if (count == 0) {
        return 0;
    }
    if (data.start == data.end) {
        ssize_t got = 0;
        do {
            got = ::read(data.fd, data.buffer.data(), data.buffer.size());
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            return data.fail(systemReason(errno));
        }
        if (got == 0) {
            if (data.delivered != data.size) {
                return data.fail("it became shorter while the image was made");
            }
            return 0;
        }
        if (data.delivered + got > data.size) {
            return data.fail("it became longer while the image was made");
        }
        data.start = 0;
        data.end = static_cast<size_t>(got);
    }
    size_t n = std::min(count, data.end - data.start);
    std::memcpy(out, data.buffer.data() + data.start, n);
    data.start += n;
    data.delivered += static_cast<off_t>(n);
    return static_cast<int>(n);
}

int streamIsRepeatable(IsoStream*) {
    return 1;
}

void streamId(IsoStream* stream, unsigned int* fsId, dev_t* deviceId, ino_t* inodeId) {
    const FileStreamData& data = dataOf(stream);
    *fsId = kFileStreamFsId;
    *deviceId = data.device;
    *inodeId = data.inode;
}

void streamFree(IsoStream* stream) {
    FileStreamData* data = static_cast<FileStreamData*>(stream->data);
    if (data->fd >= 0) {
        ::close(data->fd);
    }
    delete data;
}

IsoStreamIface fileStreamClass = {
    0,
    {'u', 's', 'e', 'r'},
    streamOpen,
    streamClose,
    streamSize,
    streamRead,
    streamIsRepeatable,
    streamId,
    streamFree,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

} // namespace

IsoStream* newFileStream(const std::string& path, FileStreamProblem& problem) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (!problem.text) {
            problem.text = "cannot read " + path + ": " + systemReason(errno);
        }
        return nullptr;
    }
    // libisofs frees the stream itself with free() when the last
    // reference goes, and the data through the class's free.
    auto data = std::make_unique<FileStreamData>();
    auto* stream = static_cast<IsoStream*>(std::malloc(sizeof(IsoStream)));
    if (stream == nullptr) {
        throw std::bad_alloc();
    }
    data->path = path;
    data->size = st.st_size;
    data->device = st.st_dev;
    data->inode = st.st_ino;
    data->problem = &problem;
    stream->klass = &fileStreamClass;
    stream->refcount = 1;
    stream->data = data.release();
    return stream;
}

} // namespace ornibe
