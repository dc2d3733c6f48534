#include "FileUtil.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool writeAll(int fd_, const unsigned char *data_, std::size_t length_)
{
    while (length_ > 0) {
        const ssize_t n = ::write(fd_, data_, length_);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return false;
        data_ += n;
        length_ -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string folderOf(const std::string &path_)
{
    const std::size_t at = path_.find_last_of('/');
    return at == std::string::npos ? std::string(".") : path_.substr(0, at + 1);
}

} // namespace

std::string nativePath(const std::string &fileName_)
{
#ifdef _WIN32
    return fileName_;
#else
    std::string p = fileName_;
    for (char &c : p)
        if (c == '\\')
            c = '/';
    return p;
#endif
}

bool fileExists(const std::string &fileName_)
{
    struct stat st;
    return ::stat(nativePath(fileName_).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool writeFileAtomically(const std::string &fileName_, const unsigned char *data_, std::size_t length_)
{
    const std::string target = nativePath(fileName_);
    std::string temp = folderOf(target);
    if (temp.back() != '/')
        temp += '/';
    temp += ".scv-save-XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, data_, length_) && ::fsync(fd) == 0;
    // Keep the permissions of the file being replaced, or the usual ones.
    struct stat st;
    const mode_t mode = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    ok = ::fchmod(fd, mode) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (ok)
        ok = ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

bool appendToFile(const std::string &fileName_, const unsigned char *data_, std::size_t length_)
{
    const int fd = ::open(nativePath(fileName_).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, data_, length_);
    ok = ::close(fd) == 0 && ok;
    return ok;
}

bool readWholeFile(const std::string &fileName_, std::vector<unsigned char> &bytes_)
{
    const int fd = ::open(nativePath(fileName_).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    std::vector<unsigned char> bytes(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    // A file that shrank or could not be read to its end is a failed read.
    if (got != bytes.size())
        return false;
    bytes_.swap(bytes);
    return true;
}
