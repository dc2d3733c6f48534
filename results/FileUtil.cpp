#include "FileUtil.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
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

// The folder part of a path with its last "/", or empty for a bare name.
std::string folderPart(const std::string &path_)
{
    const std::size_t at = path_.find_last_of('/');
    return at == std::string::npos ? std::string() : path_.substr(0, at + 1);
}

std::string namePart(const std::string &path_)
{
    const std::size_t at = path_.find_last_of('/');
    return at == std::string::npos ? path_ : path_.substr(at + 1);
}

// Follows symbolic links to the file that is really written; a link to a
// file that does not exist yet gives that file's path. False on a loop.
bool resolveLinks(std::string &path_)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(path_.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return true;
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path_.c_str(), link.data(), link.size());
        if (n <= 0)
            return false;
        link.resize(static_cast<std::size_t>(n));
        path_ = link[0] == '/' ? link : folderPart(path_) + link;
    }
    return false;
}

// A file without any write permission is read-only for everyone, as the
// read-only attribute is, even for a superuser whom access() lets through.
bool mayWrite(const std::string &path_, const struct stat &st_)
{
    return S_ISREG(st_.st_mode) && (st_.st_mode & 0222) != 0 && ::access(path_.c_str(), W_OK) == 0;
}

bool isCopySuffix(const std::string &suffix_)
{
    if (suffix_.size() != 6)
        return false;
    for (char c : suffix_)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    return true;
}

// A copy is only stale when no save holds its lock, which a save keeps from
// creating the copy until it has been renamed, and when it is older than a
// minute, which covers the instant between creating and locking a copy.
constexpr int staleCopyAgeSeconds = 60;

void removeStaleCopies(const std::string &folder_, const std::string &prefix_)
{
    DIR *dir = ::opendir(folder_.empty() ? "." : folder_.c_str());
    if (!dir)
        return;
    const time_t now = ::time(nullptr);
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.compare(0, prefix_.size(), prefix_) != 0 || !isCopySuffix(name.substr(prefix_.size())))
            continue;
        const std::string path = folder_ + name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && now - st.st_mtime > staleCopyAgeSeconds &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(dir);
}

// Creates a new, locked copy file with the prefix; -1 when the folder takes none.
int createCopy(const std::string &folder_, const std::string &prefix_, mode_t mode_, std::string &path_)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937_64 generator{std::random_device{}() ^ (std::uint64_t(::getpid()) << 32)};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix;
        for (int i = 0; i < 6; ++i)
            suffix += letters[generator() % (sizeof letters - 1)];
        path_ = folder_ + prefix_ + suffix;
        const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode_);
        if (fd >= 0) {
            ::flock(fd, LOCK_EX | LOCK_NB);
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

void syncFolder(const std::string &folder_)
{
    const int fd = ::open(folder_.empty() ? "." : folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::string saveCopyPrefix(const std::string &baseName_)
{
    std::string tag = baseName_;
    // A long name keeps its start and a hash of the whole, so the copy's name
    // stays within the file system's limit and still tells its target.
    if (tag.size() > 200) {
        std::uint64_t hash = 14695981039346656037ull;
        for (unsigned char c : baseName_)
            hash = (hash ^ c) * 1099511628211ull;
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
        tag = tag.substr(0, 180) + "~" + hex;
    }
    return ".scv-save-" + tag + "-";
}

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

CFileReplacement::CFileReplacement(const std::string &fileName_) : target(nativePath(fileName_))
{
    if (!resolveLinks(target)) {
        state = FileWriteResult::CannotOpen;
        return;
    }
    struct stat st;
    exists = ::stat(target.c_str(), &st) == 0;
    if (exists ? !mayWrite(target, st) : errno != ENOENT) {
        state = FileWriteResult::CannotOpen;
        return;
    }
    mode = st.st_mode & 07777;
    folder = folderPart(target);
    const std::string prefix = saveCopyPrefix(namePart(target));
    removeStaleCopies(folder, prefix);
    // A new file is created as any file is, 0666 less the umask; a replaced
    // one is written privately and takes the old mode at the end.
    fd = createCopy(folder, prefix, exists ? 0600 : 0666, temp);
    // A folder the user may not write refuses the file as the target itself
    // would; a missing folder or a full disk is a failed write.
    if (fd < 0)
        state = errno == EACCES || errno == EPERM || errno == EROFS ? FileWriteResult::CannotOpen
                                                                     : FileWriteResult::WriteFailed;
}

CFileReplacement::~CFileReplacement()
{
    if (fd >= 0) {
        ::unlink(temp.c_str());
        ::close(fd);
    }
}

bool CFileReplacement::write(const void *data_, std::size_t length_)
{
    if (fd < 0 || state != FileWriteResult::Written)
        return false;
    if (!writeAll(fd, static_cast<const unsigned char *>(data_), length_))
        state = FileWriteResult::WriteFailed;
    return state == FileWriteResult::Written;
}

FileWriteResult CFileReplacement::commit()
{
    if (fd < 0)
        return state;
    bool ok = state == FileWriteResult::Written && ::fsync(fd) == 0;
    if (ok && exists)
        ok = ::fchmod(fd, mode) == 0;
    // Renamed while still locked, so no other save takes it for a stale copy.
    if (ok)
        ok = ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok)
        ::unlink(temp.c_str());
    ::close(fd);
    fd = -1;
    if (!ok)
        return state = FileWriteResult::WriteFailed;
    syncFolder(folder);
    return state = FileWriteResult::Written;
}

FileWriteResult replaceFile(const std::string &fileName_, const unsigned char *data_, std::size_t length_)
{
    CFileReplacement file(fileName_);
    file.write(data_, length_);
    return file.commit();
}

bool regularFileSize(const std::string &path_, std::uint64_t &size_)
{
    struct stat st;
    if (::stat(path_.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    size_ = static_cast<std::uint64_t>(st.st_size);
    return true;
}

bool writeFileAtomically(const std::string &fileName_, const unsigned char *data_, std::size_t length_)
{
    return replaceFile(fileName_, data_, length_) == FileWriteResult::Written;
}

bool appendToFile(const std::string &fileName_, const unsigned char *data_, std::size_t length_)
{
    const std::string path = nativePath(fileName_);
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && !mayWrite(path, st))
        return false;
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, data_, length_);
    ok = ::close(fd) == 0 && ok;
    return ok;
}

namespace {

// Reads a whole regular file into the memory that place_(size) gives.
template <class Place>
bool readAll(const std::string &fileName_, Place place_)
{
    const int fd = ::open(nativePath(fileName_).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    const std::size_t size = static_cast<std::size_t>(st.st_size);
    unsigned char *to = place_(size);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, to + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    // A file that shrank or could not be read to its end is a failed read.
    return got == size;
}

} // namespace

bool readWholeFile(const std::string &fileName_, std::vector<unsigned char> &bytes_)
{
    std::vector<unsigned char> bytes;
    if (!readAll(fileName_, [&](std::size_t size_) {
            bytes.resize(size_);
            return bytes.data();
        }))
        return false;
    bytes_.swap(bytes);
    return true;
}

bool readWholeFile(const std::string &fileName_, std::unique_ptr<unsigned char[]> &buffer_, std::size_t &length_)
{
    std::unique_ptr<unsigned char[]> buffer;
    std::size_t length = 0;
    if (!readAll(fileName_, [&](std::size_t size_) {
            length = size_;
            buffer.reset(new unsigned char[size_ ? size_ : 1]);
            return buffer.get();
        }))
        return false;
    buffer_ = std::move(buffer);
    length_ = length;
    return true;
}
