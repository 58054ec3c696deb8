#include "windows/EmbeddedSound.h"

#include "platform/resources/Resources.h"
#include "platform/ui/Messages.h"

TEmbeddedSound LockEmbeddedSound(const wchar_t* strName, const char* strUnit) {
    TEmbeddedSound sound;
    HRSRC hFound = FindResourceW(nullptr, strName, RT_RCDATA);
    SND_CHECK(hFound, "hFound", strUnit);
    HGLOBAL hRes = hFound ? LoadResource(nullptr, hFound) : nullptr;
    SND_CHECK(hRes, "hRes", strUnit);
    sound.pBuf = hRes ? LockResource(hRes) : nullptr;
    SND_CHECK(sound.pBuf, "pBuf", strUnit);
    sound.nSize = hFound ? SizeofResource(nullptr, hFound) : 0;
    return sound;
}
