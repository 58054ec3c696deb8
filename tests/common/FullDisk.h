// A small tmpfs mounted over a temporary folder, for writes that must fail with
// "No space left on device" on a real file system. Mounting needs root; where
// it fails, Mounted() is false and Why() says so, for the test's skip.
#pragma once

#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

class FullDisk {
public:
    FullDisk() : m_bMounted(mount("tmpfs", Path("").c_str(), "tmpfs", 0, "size=64k") == 0), m_nErrno(errno) {}
    ~FullDisk() { if (m_bMounted) umount(Path("").c_str()); }
    bool Mounted() const { return m_bMounted; }
    std::string Why() const { return "cannot mount a tmpfs here (" + std::string(std::strerror(m_nErrno)) + "): needs root"; }
    std::string Path(const std::string& strName) const { return m_dir.path().toStdString() + "/" + strName; }
    // Takes every block left, so that the next write of any size fails.
    void Fill() const {
        const int fd = open(Path("filler").c_str(), O_WRONLY | O_CREAT, 0600);
        const std::string block(4096, 'x');
        while (write(fd, block.data(), block.size()) > 0) {}
        close(fd);
    }

private:
    QTemporaryDir m_dir;
    bool m_bMounted;
    int m_nErrno;
};
