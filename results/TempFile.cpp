#include "TempFile.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const suffix = ".tmp";

void closeQuietly(int &fd_)
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

} // namespace

std::string TempFile::folder()
{
    const char *env = std::getenv("TMPDIR");
    std::string dir = env && *env ? env : "/tmp";
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw TempFileError(TempFileError::Step::Folder, "Unable to get tmp-directory");
    return dir;
}

TempFile::TempFile(const std::string &prefix_)
{
    const std::string dir = folder();
    if (prefix_.find('/') != std::string::npos || prefix_.find('\0') != std::string::npos)
        throw TempFileError(TempFileError::Step::File, "Unable to get temporary file");
    std::string name = (dir == "/" ? dir : dir + "/") + prefix_ + "XXXXXX" + suffix;
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    int fd;
    do
        fd = ::mkstemps(buffer.data(), static_cast<int>(std::char_traits<char>::length(suffix)));
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        throw TempFileError(TempFileError::Step::File, "Unable to get temporary file");
    // Keep the descriptor out of programs this process might start.
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    descriptor = fd;
    filePath.assign(buffer.data());
}

TempFile::~TempFile()
{
    remove();
}

TempFile::TempFile(TempFile &&other_) noexcept
    : filePath(std::move(other_.filePath)), descriptor(other_.descriptor)
{
    other_.filePath.clear();
    other_.descriptor = -1;
}

TempFile &TempFile::operator=(TempFile &&other_) noexcept
{
    if (this != &other_) {
        remove();
        filePath = std::move(other_.filePath);
        descriptor = other_.descriptor;
        other_.filePath.clear();
        other_.descriptor = -1;
    }
    return *this;
}

bool TempFile::remove() noexcept
{
    closeQuietly(descriptor);
    if (filePath.empty())
        return true;
    const bool gone = ::unlink(filePath.c_str()) == 0 || errno == ENOENT;
    filePath.clear();
    return gone;
}

bool TempFile::writeAll(const void *data_, std::size_t size_)
{
    if (descriptor < 0 || (!data_ && size_ != 0))
        return false;
    if (::lseek(descriptor, 0, SEEK_SET) != 0 || ::ftruncate(descriptor, 0) != 0)
        return false;
    const char *at = static_cast<const char *>(data_);
    std::size_t left = size_;
    while (left > 0) {
        // write() may take fewer bytes than offered; only an error or no progress ends it.
        const ssize_t done = ::write(descriptor, at, left);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        at += done;
        left -= static_cast<std::size_t>(done);
    }
    return true;
}
