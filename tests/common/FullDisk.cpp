#include "common/FullDisk.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

FullDisk::FullDisk(const char* size) : m_strDir(m_dir.path().toStdString()) {
    m_bMounted = mount("tmpfs", m_strDir.c_str(), "tmpfs", 0, (std::string("size=") + size).c_str()) == 0;
    if (!m_bMounted) m_strWhy = std::string("cannot mount a tmpfs here (") + std::strerror(errno) + "): needs root";
}

FullDisk::~FullDisk() {
    if (m_bMounted) umount(m_strDir.c_str());
}

void FullDisk::Fill() const {
    const int fd = open(Path("filler").c_str(), O_WRONLY | O_CREAT, 0600);
    const std::string block(4096, 'x');
    while (write(fd, block.data(), block.size()) > 0) {}
    close(fd);
}
