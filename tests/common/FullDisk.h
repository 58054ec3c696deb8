// A small tmpfs mounted over a temporary folder, for writes that must fail with
// "No space left on device" on a real file system. Mounting needs root; where
// it fails, Mounted() is false and Why() says so, for the test's skip.
#pragma once

#include <QTemporaryDir>

#include <string>

class FullDisk {
public:
    explicit FullDisk(const char* size = "64k");
    ~FullDisk();
    bool Mounted() const { return m_bMounted; }
    const std::string& Why() const { return m_strWhy; }
    std::string Path(const std::string& strName) const { return m_strDir + "/" + strName; }
    // Takes every block left, so that the next write of any size fails.
    void Fill() const;

private:
    QTemporaryDir m_dir;
    std::string m_strDir;
    std::string m_strWhy;
    bool m_bMounted = false;
};
