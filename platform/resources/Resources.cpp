// Embedded resources over Qt's resource system. A resource found once is kept for
// the rest of the run, so its handle and its bytes stay valid however often it
// is looked up, loaded or locked.
#include "platform/resources/Resources.h"

#include <limits>
#include <map>
#include <memory>
#include <mutex>

#include <QByteArray>
#include <QFile>
#include <QResource>
#include <QString>

struct ResourceInfo {
    QString path;      // ":/res/TYPE/NAME"
    // Loaded on first use through a handle, which the service hands out as const.
    mutable QByteArray bytes;
    mutable bool loaded = false;
};

namespace {

// The program's own module; no other module is known.
int g_ownModule;

std::mutex g_lock;

std::map<QString, std::unique_ptr<ResourceInfo>>& Found() {
    static std::map<QString, std::unique_ptr<ResourceInfo>> found;
    return found;
}

bool IsOwnModule(HMODULE hModule) { return hModule == nullptr || hModule == &g_ownModule; }

// A name or type is one path element: it may not climb to or into another type's folder.
bool IsPlainPart(const QString& part) {
    return !part.isEmpty() && !part.contains(u'/') && part != QStringLiteral(".") && part != QStringLiteral("..");
}

bool EnsureLoaded(const ResourceInfo& info) {
    if (info.loaded) return true;
    // A resource stored as it is lies in the program's image for the whole
    // run: its bytes are used in place rather than copied.
    const QResource resource(info.path);
    if (resource.isValid() && resource.compressionAlgorithm() == QResource::NoCompression && resource.data()) {
        info.bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data()),
                                             static_cast<qsizetype>(resource.size()));
        info.loaded = true;
        return true;
    }
    QFile file(info.path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    info.bytes = file.readAll();
    info.loaded = true;
    return true;
}

}  // namespace

HMODULE GetModuleHandleW(const wchar_t* lpModuleName) { return lpModuleName ? nullptr : &g_ownModule; }

HRSRC FindResourceW(HMODULE hModule, const wchar_t* lpName, const wchar_t* lpType) {
    if (!IsOwnModule(hModule) || !lpName || !lpType) return nullptr;
    const QString name = QString::fromWCharArray(lpName);
    const QString type = QString::fromWCharArray(lpType);
    if (!IsPlainPart(name) || !IsPlainPart(type)) return nullptr;
    const QString path = QStringLiteral(":/res/%1/%2").arg(type, name);

    std::lock_guard<std::mutex> lock(g_lock);
    auto& found = Found();
    if (auto it = found.find(path); it != found.end()) return it->second.get();
    if (!QFile::exists(path)) return nullptr;
    auto info = std::make_unique<ResourceInfo>();
    info->path = path;
    HRSRC handle = info.get();
    found.emplace(path, std::move(info));
    return handle;
}

HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo) {
    if (!IsOwnModule(hModule) || !hResInfo) return nullptr;
    std::lock_guard<std::mutex> lock(g_lock);
    const ResourceInfo& info = *hResInfo;
    if (!EnsureLoaded(info)) return nullptr;
    return info.bytes.constData();
}

// The loaded handle is the resource's first byte, so locking only hands it back.
const void* LockResource(HGLOBAL hResData) { return hResData; }

DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo) {
    if (!IsOwnModule(hModule) || !hResInfo) return 0;
    std::lock_guard<std::mutex> lock(g_lock);
    const ResourceInfo& info = *hResInfo;
    if (!EnsureLoaded(info)) return 0;
    const auto size = static_cast<qint64>(info.bytes.size());
    return size > std::numeric_limits<DWORD>::max() ? 0 : static_cast<DWORD>(size);
}
