// The resource lookup over the test program's own embedded files (tests/riff/res).
#include <QFile>

#include <gtest/gtest.h>

#include "platform/resources/Resources.h"

namespace {

QByteArray EmbeddedFile(const char* path) {
    QFile f(QString::fromLatin1(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(Resources, FindsLoadsAndSizesByNameAndType) {
    struct Case {
        const wchar_t* name;
        const wchar_t* type;
        const char* path;  // null: must not be found
    } cases[] = {
        {L"RIFF_TEST_WAVE", L"WAVE", ":/res/WAVE/RIFF_TEST_WAVE"},
        {L"RIFF_TEST_WAV", L"WAV", ":/res/WAV/RIFF_TEST_WAV"},
        {L"RIFF_TEST_DATA", RT_RCDATA, ":/res/10/RIFF_TEST_DATA"},
        {L"RIFF_TEST_WAV", L"WAVE", nullptr},
        {L"riff_test_wave", L"WAVE", nullptr},
        {L"../10/RIFF_TEST_DATA", L"WAVE", nullptr},
        {L"RIFF_TEST_DATA", L"WAVE/../10", nullptr},
        {L"", L"WAVE", nullptr},
        {nullptr, L"WAVE", nullptr},
        {L"RIFF_TEST_WAVE", nullptr, nullptr},
    };
    HMODULE self = GetModuleHandleW(nullptr);
    ASSERT_NE(self, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path ? c.path : "not found");
        HRSRC hFound = FindResourceW(self, c.name, c.type);
        if (!c.path) {
            EXPECT_EQ(hFound, nullptr);
            continue;
        }
        ASSERT_NE(hFound, nullptr);
        EXPECT_EQ(FindResourceW(nullptr, c.name, c.type), hFound) << "one handle per resource for the run";
        const QByteArray expected = EmbeddedFile(c.path);
        ASSERT_FALSE(expected.isEmpty());
        HGLOBAL hRes = LoadResource(self, hFound);
        ASSERT_NE(hRes, nullptr);
        const void* bytes = LockResource(hRes);
        ASSERT_EQ(SizeofResource(self, hFound), static_cast<DWORD>(expected.size()));
        EXPECT_EQ(QByteArray(static_cast<const char*>(bytes), expected.size()), expected);
        EXPECT_EQ(LockResource(LoadResource(self, hFound)), bytes) << "the bytes stay where they are";
    }
}

TEST(Resources, AnEmptyResourceIsFoundWithSizeZero) {
    HRSRC hFound = FindResourceW(nullptr, L"RIFF_TEST_EMPTY", L"WAVE");
    ASSERT_NE(hFound, nullptr);
    EXPECT_EQ(SizeofResource(nullptr, hFound), 0u);
}
