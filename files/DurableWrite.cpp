#include "files/DurableWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

TWriteResult Failed(const char* step, int err) {
    TWriteResult r;
    r.nErrno = err;
    r.strError = std::string(step) + ": " + std::strerror(err);
    return r;
}

mode_t NewFileMode() {
    // umask can only be read by setting it; the program's GUI thread is the only writer.
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool WriteAll(int fd, std::string_view bytes, int& err) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            return false;
        }
        if (n == 0) {  // never for a regular file, but it would loop forever
            err = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

std::string FolderOf(const std::string& strPath) {
    const std::size_t slash = strPath.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return strPath.substr(0, slash);
}

bool SyncFolder(const std::string& strFolder) {
    const int dfd = open(strFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0) return false;
    const bool bOk = fsync(dfd) == 0;
    close(dfd);
    return bOk;
}

TWriteResult WriteFileDurably(const std::string& strPathGiven, std::string_view bytes) {
    if (strPathGiven.empty()) return Failed("path", ENOENT);
    std::string strPath = strPathGiven;
    mode_t mode = NewFileMode();
    struct stat st{};
    if (lstat(strPath.c_str(), &st) == 0) {
        // A link is followed, so the file it names is replaced and the link kept.
        if (S_ISLNK(st.st_mode)) {
            char resolved[PATH_MAX];
            if (!realpath(strPath.c_str(), resolved)) return Failed("realpath", errno);
            strPath = resolved;
            if (stat(strPath.c_str(), &st) != 0) return Failed("stat", errno);
        }
        if (!S_ISREG(st.st_mode)) return Failed("target", S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        if ((st.st_mode & 0222) == 0 || access(strPath.c_str(), W_OK) != 0) return Failed("target", EACCES);
        mode = st.st_mode & 07777;
    }

    const std::string strFolder = FolderOf(strPath);
    const std::size_t slash = strPath.rfind('/');
    const std::string strBase = slash == std::string::npos ? strPath : strPath.substr(slash + 1);
    std::string strTemp = (strFolder == "/" ? "" : strFolder) + "/." + strBase + ".XXXXXX";
    const int fd = mkostemp(strTemp.data(), O_CLOEXEC);
    if (fd < 0) return Failed("create", errno);

    int err = 0;
    const char* step = nullptr;
    if (!WriteAll(fd, bytes, err)) step = "write";
    else if (fchmod(fd, mode) != 0) step = "chmod", err = errno;
    else if (fsync(fd) != 0) step = "fsync", err = errno;
    if (close(fd) != 0 && !step) step = "close", err = errno;
    if (!step && rename(strTemp.c_str(), strPath.c_str()) != 0) step = "rename", err = errno;
    if (step) {
        unlink(strTemp.c_str());
        return Failed(step, err);
    }
    // The new file is in place; only its folder entry may still be in memory.
    if (!SyncFolder(strFolder)) return Failed("fsync folder", errno);
    return {true, 0, {}};
}
