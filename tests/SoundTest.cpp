#include "support/Sound.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

struct Resource {
    const uint8_t* data = nullptr;
    DWORD size = 0;
};

Resource FindWave(const wchar_t* name) {
    HRSRC info = FindResourceW(nullptr, name, L"WAVE");
    if (!info) return {};
    HGLOBAL loaded = LoadResource(nullptr, info);
    if (!loaded) return {};
    return {static_cast<const uint8_t*>(LockResource(loaded)), SizeofResource(nullptr, info)};
}

uint32_t U32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
std::string Tag(const uint8_t* p) {
    return std::string(reinterpret_cast<const char*>(p), 4);
}

TEST(Sound, ClickIsAShortMonoPcmWaveResource) {
    const Resource wave = FindWave(L"CLICK");
    ASSERT_NE(wave.data, nullptr);
    ASSERT_EQ(wave.size, 2202u);
    const uint8_t* p = wave.data;
    EXPECT_EQ(Tag(p), "RIFF");
    EXPECT_EQ(U32(p + 4), 2202u - 8);
    EXPECT_EQ(Tag(p + 8), "WAVE");
    EXPECT_EQ(Tag(p + 12), "fmt ");
    ASSERT_EQ(U32(p + 16), 16u);
    EXPECT_EQ(U16(p + 20), 1u);         // PCM
    EXPECT_EQ(U16(p + 22), 1u);         // channels
    EXPECT_EQ(U32(p + 24), 22050u);     // samples per second
    EXPECT_EQ(U32(p + 28), 22050u * 2); // bytes per second
    EXPECT_EQ(U16(p + 32), 2u);         // block align
    EXPECT_EQ(U16(p + 34), 16u);        // bits per sample
    EXPECT_EQ(Tag(p + 36), "data");
    EXPECT_EQ(U32(p + 40), 2158u);
    EXPECT_EQ(44u + 2158u, wave.size);
}

TEST(Sound, TheLowerCaseNameFindsTheClick) {
    // The sound is asked for as "click"; resource names ignore case.
    EXPECT_EQ(FindWave(L"click").data, FindWave(L"CLICK").data);
    EXPECT_NE(FindWave(L"click").data, nullptr);
}

TEST(Sound, PlayClickSoundReturnsAfterEachClick) {
    // Without a sound device the call returns at once; with one, after about 49 ms.
    const ULONGLONG start = GetTickCount64();
    PlayClickSound();
    PlayClickSound();
    EXPECT_LT(GetTickCount64() - start, 5000u);
}

} // namespace
