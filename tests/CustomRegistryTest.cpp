#include "support/CustomRegistry.h"

#include <gtest/gtest.h>

#include "support/TestRegistry.h"

namespace {

const std::wstring Base = L"\\Software\\HastrelTests\\Registry\\";

class CustomRegistry : public testing::Test {
  protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        testreg::DeleteTree(HKEY_CURRENT_USER, L"Software\\HastrelTests");
        testreg::DeleteTree(HKEY_LOCAL_MACHINE, L"Software\\HastrelTests", KEY_WOW64_32KEY);
        testreg::DeleteTree(HKEY_LOCAL_MACHINE, L"Software\\HastrelTests", KEY_WOW64_64KEY);
    }
    static std::wstring Str(const std::wstring& name, const std::wstring& def = L"default") {
        return ReadRegString(HKEY_CURRENT_USER, Base, name, def, false);
    }
    static int32_t Int(const std::wstring& name, int32_t def = 42) {
        return ReadRegInteger(HKEY_CURRENT_USER, Base, name, def, false);
    }
};

TEST_F(CustomRegistry, StringReadsFallBackToTheDefaultForEmptyMissingOrForeignData) {
    testreg::SetString(HKEY_CURRENT_USER, Base, L"Empty", L"");
    testreg::SetDword(HKEY_CURRENT_USER, Base, L"Number", 5);
    const wchar_t leadingNul[] = L"\0abc";
    testreg::Set(HKEY_CURRENT_USER, Base, L"LeadingNul", REG_SZ, leadingNul, sizeof(leadingNul));
    testreg::Set(HKEY_CURRENT_USER, Base, L"NoData", REG_SZ, nullptr, 0);

    EXPECT_EQ(Str(L"Empty"), L"default");
    EXPECT_EQ(Str(L"Number"), L"default");
    EXPECT_EQ(Str(L"LeadingNul"), L"default");
    EXPECT_EQ(Str(L"NoData"), L"default");
    EXPECT_EQ(Str(L"Missing"), L"default");
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, L"\\Software\\HastrelTests\\NoSuchKey\\", L"x", L"d", false),
              L"d");
}

TEST_F(CustomRegistry, StringReadsTakeTheTextUpToItsFirstNul) {
    testreg::SetString(HKEY_CURRENT_USER, Base, L"Plain", L"hello world");
    const wchar_t embedded[] = L"first\0second";
    testreg::Set(HKEY_CURRENT_USER, Base, L"Embedded", REG_SZ, embedded, sizeof(embedded));
    const wchar_t unterminated[] = {L'a', L'b', L'c'};
    testreg::Set(HKEY_CURRENT_USER, Base, L"Unterminated", REG_SZ, unterminated, sizeof(unterminated));
    const std::wstring expand = L"%SystemRoot%\\x";
    testreg::Set(HKEY_CURRENT_USER, Base, L"Expand", REG_EXPAND_SZ, expand.c_str(),
                 static_cast<DWORD>((expand.size() + 1) * 2));
    const std::wstring longText(5000, L'x');
    testreg::SetString(HKEY_CURRENT_USER, Base, L"Long", longText);

    EXPECT_EQ(Str(L"Plain"), L"hello world");
    EXPECT_EQ(Str(L"Embedded"), L"first");
    EXPECT_EQ(Str(L"Unterminated"), L"abc");
    EXPECT_EQ(Str(L"Expand"), L"%SystemRoot%\\x");
    EXPECT_EQ(Str(L"Long"), longText);
}

TEST_F(CustomRegistry, IntegerReadsAreSignedAndRefuseForeignOrOversizedData) {
    testreg::SetDword(HKEY_CURRENT_USER, Base, L"AllOnes", 0xFFFFFFFFu);
    testreg::SetDword(HKEY_CURRENT_USER, Base, L"Seven", 7);
    testreg::SetString(HKEY_CURRENT_USER, Base, L"Text", L"12");
    const uint8_t five[5] = {1, 0, 0, 0, 0};
    testreg::Set(HKEY_CURRENT_USER, Base, L"FiveBytes", REG_DWORD, five, sizeof(five));
    const uint8_t four[4] = {1, 0, 0, 0};
    testreg::Set(HKEY_CURRENT_USER, Base, L"Binary", REG_BINARY, four, sizeof(four));

    EXPECT_EQ(Int(L"AllOnes"), -1);
    EXPECT_EQ(Int(L"Seven"), 7);
    EXPECT_EQ(Int(L"Text"), 42);
    EXPECT_EQ(Int(L"FiveBytes"), 42);
    EXPECT_EQ(Int(L"Binary"), 42);
    EXPECT_EQ(Int(L"Missing"), 42);
    EXPECT_EQ(ReadRegInteger(HKEY_CURRENT_USER, L"\\Software\\HastrelTests\\NoSuchKey\\", L"x", -9, false),
              -9);
}

TEST_F(CustomRegistry, BoolReadsTreatAnyNonZeroDwordAsTrue) {
    testreg::SetDword(HKEY_CURRENT_USER, Base, L"Two", 2);
    testreg::SetDword(HKEY_CURRENT_USER, Base, L"Zero", 0);
    testreg::SetString(HKEY_CURRENT_USER, Base, L"Text", L"1");

    EXPECT_TRUE(ReadRegBool(HKEY_CURRENT_USER, Base, L"Two", false, false));
    EXPECT_FALSE(ReadRegBool(HKEY_CURRENT_USER, Base, L"Zero", true, false));
    EXPECT_TRUE(ReadRegBool(HKEY_CURRENT_USER, Base, L"Text", true, false));
    EXPECT_FALSE(ReadRegBool(HKEY_CURRENT_USER, Base, L"Text", false, false));
    EXPECT_TRUE(ReadRegBool(HKEY_CURRENT_USER, Base, L"Missing", true, false));
}

TEST_F(CustomRegistry, WritesStoreTheDocumentedTypesAndSizes) {
    WriteRegString(HKEY_CURRENT_USER, Base, L"Empty", L"", false);
    WriteRegString(HKEY_CURRENT_USER, Base, L"Text", L"abc", false);
    WriteRegInteger(HKEY_CURRENT_USER, Base, L"Minus", -1, false);
    WriteRegBool(HKEY_CURRENT_USER, Base, L"Yes", true, false);
    WriteRegBool(HKEY_CURRENT_USER, Base, L"No", false, false);
    const uint8_t zeros[4] = {0, 0, 0, 0};
    WriteRegBinary(HKEY_CURRENT_USER, Base, L"Four", zeros, 4, false);
    WriteRegBinary(HKEY_CURRENT_USER, Base, L"None", nullptr, 0, false);

    auto empty = testreg::Get(HKEY_CURRENT_USER, Base, L"Empty");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(empty->data.size(), 2u);
    auto text = testreg::Get(HKEY_CURRENT_USER, Base, L"Text");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->data.size(), 8u);
    EXPECT_EQ(text->Text(), L"abc");
    auto minus = testreg::Get(HKEY_CURRENT_USER, Base, L"Minus");
    ASSERT_TRUE(minus);
    EXPECT_EQ(minus->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(minus->Dword(), 0xFFFFFFFFu);
    EXPECT_EQ(testreg::Get(HKEY_CURRENT_USER, Base, L"Yes")->Dword(), 1u);
    EXPECT_EQ(testreg::Get(HKEY_CURRENT_USER, Base, L"No")->Dword(), 0u);
    auto four = testreg::Get(HKEY_CURRENT_USER, Base, L"Four");
    ASSERT_TRUE(four);
    EXPECT_EQ(four->type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(four->data, std::vector<uint8_t>(4, 0));
    auto none = testreg::Get(HKEY_CURRENT_USER, Base, L"None");
    ASSERT_TRUE(none);
    EXPECT_EQ(none->type, static_cast<DWORD>(REG_BINARY));
    EXPECT_TRUE(none->data.empty());
}

TEST_F(CustomRegistry, AWriteReplacesAValueOfAnotherType) {
    testreg::SetString(HKEY_CURRENT_USER, Base, L"Value", L"text");
    WriteRegInteger(HKEY_CURRENT_USER, Base, L"Value", 3, false);
    EXPECT_EQ(testreg::Get(HKEY_CURRENT_USER, Base, L"Value")->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(Int(L"Value"), 3);
}

TEST_F(CustomRegistry, WritesCreateMissingKeysWithTheirParentsButDeletesNever) {
    const std::wstring deep = L"\\Software\\HastrelTests\\A\\B\\C\\";
    DeleteRegValue(HKEY_CURRENT_USER, deep, L"x", false);
    EXPECT_FALSE(testreg::KeyExists(HKEY_CURRENT_USER, L"Software\\HastrelTests\\A"));

    WriteRegString(HKEY_CURRENT_USER, deep, L"x", L"1", false);
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, deep, L"x", L"", false), L"1");

    DeleteRegValue(HKEY_CURRENT_USER, deep, L"x", false);
    EXPECT_FALSE(testreg::Get(HKEY_CURRENT_USER, deep, L"x"));
    EXPECT_TRUE(testreg::KeyExists(HKEY_CURRENT_USER, deep)) << "deleting the last value must leave the key";
    DeleteRegValue(HKEY_CURRENT_USER, deep, L"missing", false);
    EXPECT_TRUE(testreg::KeyExists(HKEY_CURRENT_USER, deep));
}

// Where a key may be read but not changed, as HKEY_LOCAL_MACHINE for a user
// without administrator rights, writes and deletes answer false; a value that
// is not there counts as deleted.
TEST_F(CustomRegistry, WritesAndDeletesSayWhetherTheyTookEffect) {
    const std::wstring missingKey = L"\\Software\\HastrelTests\\Ghost\\";
    EXPECT_TRUE(WriteRegInteger(HKEY_CURRENT_USER, Base, L"Kept", 1, false));
    EXPECT_TRUE(CanWriteRegKey(HKEY_CURRENT_USER, Base, false));
    EXPECT_TRUE(DeleteRegValue(HKEY_CURRENT_USER, Base, L"NeverThere", false));
    EXPECT_TRUE(DeleteRegValue(HKEY_CURRENT_USER, missingKey, L"x", false));
    EXPECT_FALSE(testreg::KeyExists(HKEY_CURRENT_USER, missingKey));
    {
        testreg::ReadOnlyKey locked(HKEY_CURRENT_USER, Base);
        ASSERT_TRUE(locked.Applied());
        const uint8_t bytes[] = {1, 2};
        EXPECT_FALSE(CanWriteRegKey(HKEY_CURRENT_USER, Base, false));
        EXPECT_FALSE(WriteRegString(HKEY_CURRENT_USER, Base, L"Kept", L"x", false));
        EXPECT_FALSE(WriteRegInteger(HKEY_CURRENT_USER, Base, L"Kept", 2, false));
        EXPECT_FALSE(WriteRegBinary(HKEY_CURRENT_USER, Base, L"Kept", bytes, 2, false));
        EXPECT_FALSE(WriteRegBool(HKEY_CURRENT_USER, Base, L"Kept", false, false));
        EXPECT_FALSE(DeleteRegValue(HKEY_CURRENT_USER, Base, L"Kept", false));
        EXPECT_TRUE(DeleteRegValue(HKEY_CURRENT_USER, Base, L"NeverThere", false)) << "nothing to delete";
        EXPECT_EQ(Int(L"Kept"), 1);
    }
    EXPECT_TRUE(DeleteRegValue(HKEY_CURRENT_USER, Base, L"Kept", false));
    EXPECT_EQ(Int(L"Kept"), 42);
}

// Whole values of any type and size, told apart from a value that is not
// there and from one that cannot be read.
TEST_F(CustomRegistry, WholeValuesAreCopiedExactly) {
    const RegValue large{true, REG_BINARY, std::vector<uint8_t>(100000, 0xA5)};
    const RegValue none{true, REG_NONE, {}};
    EXPECT_TRUE(WriteRegValue(HKEY_CURRENT_USER, Base, L"Large", large, false));
    EXPECT_TRUE(WriteRegValue(HKEY_CURRENT_USER, Base, L"None", none, false));
    EXPECT_FALSE(WriteRegValue(HKEY_CURRENT_USER, Base, L"Absent", RegValue{}, false));
    for (const auto& [name, written] : {std::pair{L"Large", large}, {L"None", none}}) {
        const std::optional<RegValue> read = ReadRegValue(HKEY_CURRENT_USER, Base, name, false);
        ASSERT_TRUE(read);
        EXPECT_TRUE(read->Exists);
        EXPECT_EQ(read->Type, written.Type);
        EXPECT_EQ(read->Data, written.Data);
    }
    for (const auto& [key, name] :
         {std::pair{Base, L"Absent"}, {L"\\Software\\HastrelTests\\Ghost\\", L"x"}}) {
        const std::optional<RegValue> read = ReadRegValue(HKEY_CURRENT_USER, key, name, false);
        ASSERT_TRUE(read);
        EXPECT_FALSE(read->Exists);
    }
    EXPECT_FALSE(testreg::KeyExists(HKEY_CURRENT_USER, L"Software\\HastrelTests\\Ghost"));
    for (const wchar_t* sddl : {L"D:P", L"D:P(A;;0x20006;;;WD)"}) {
        testreg::KeySecurity locked(HKEY_CURRENT_USER, Base, sddl);
        ASSERT_TRUE(locked.Applied());
        EXPECT_FALSE(ReadRegValue(HKEY_CURRENT_USER, Base, L"Large", false)) << "unreadable is not absent";
        EXPECT_FALSE(ReadRegValue(HKEY_CURRENT_USER, Base, L"Absent", false));
    }
}

// Each call asks for just the access it needs.
TEST_F(CustomRegistry, KeysThatGrantOnlyWhatACallNeedsAreEnough) {
    WriteRegInteger(HKEY_CURRENT_USER, Base, L"Kept", 7, false);
    {
        testreg::KeySecurity queryOnly(HKEY_CURRENT_USER, Base, L"D:P(A;;0x1;;;WD)");
        ASSERT_TRUE(queryOnly.Applied());
        EXPECT_EQ(Int(L"Kept"), 7);
        EXPECT_TRUE(ReadRegValue(HKEY_CURRENT_USER, Base, L"Kept", false));
    }
    testreg::KeySecurity setOnly(HKEY_CURRENT_USER, Base, L"D:P(A;;0x2;;;WD)");
    ASSERT_TRUE(setOnly.Applied());
    EXPECT_TRUE(WriteRegInteger(HKEY_CURRENT_USER, Base, L"Kept", 8, false));
    EXPECT_TRUE(CanWriteRegKey(HKEY_CURRENT_USER, Base, false));
    EXPECT_TRUE(DeleteRegValue(HKEY_CURRENT_USER, Base, L"Kept", false));
}

TEST_F(CustomRegistry, ReadsAndDeletesOfAMissingKeyCreateNothing) {
    const std::wstring key = L"\\Software\\HastrelTests\\Ghost\\";
    ReadRegString(HKEY_CURRENT_USER, key, L"x", L"", false);
    ReadRegInteger(HKEY_CURRENT_USER, key, L"x", 0, false);
    ReadRegBool(HKEY_CURRENT_USER, key, L"x", false, false);
    DeleteRegValue(HKEY_CURRENT_USER, key, L"x", false);
    EXPECT_FALSE(testreg::KeyExists(HKEY_CURRENT_USER, key));
}

TEST_F(CustomRegistry, APathWithoutTheLeadingBackslashLandsInTheSamePlace) {
    WriteRegString(HKEY_CURRENT_USER, L"Software\\HastrelTests\\Registry\\", L"NoSlash", L"v", false);
    EXPECT_EQ(Str(L"NoSlash"), L"v");
    WriteRegInteger(HKEY_CURRENT_USER, L"\\Software\\HastrelTests\\NoTrailing", L"n", 9, false);
    EXPECT_EQ(ReadRegInteger(HKEY_CURRENT_USER, L"Software\\HastrelTests\\NoTrailing\\", L"n", 0, false), 9);
}

TEST_F(CustomRegistry, The32BitAnd64BitViewsAreKeptApart) {
    const std::wstring key = L"\\Software\\HastrelTests\\Views\\";
    WriteRegString(HKEY_LOCAL_MACHINE, key, L"Where", L"32", false);
    WriteRegString(HKEY_LOCAL_MACHINE, key, L"Where", L"64", true);

    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, key, L"Where", L"", false), L"32");
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, key, L"Where", L"", true), L"64");
    // The 32-bit view of HKLM\Software is the Wow6432Node branch of the 64-bit one.
    auto redirected = testreg::Get(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\HastrelTests\\Views",
                                   L"Where", KEY_WOW64_64KEY);
    ASSERT_TRUE(redirected);
    EXPECT_EQ(redirected->Text(), L"32");

    DeleteRegValue(HKEY_LOCAL_MACHINE, key, L"Where", true);
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, key, L"Where", L"gone", true), L"gone");
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, key, L"Where", L"", false), L"32");
}

// The read and the write (or delete) masks of either view, as each build passes them to
// the registry: the 64-bit build must name the 32-bit view, the 32-bit build
// keeps the plain masks.
TEST_F(CustomRegistry, EachBuildNamesTheViewItMeans) {
#ifdef _WIN64
    const REGSAM view32 = 0x200;
#else
    const REGSAM view32 = 0;
#endif
    for (REGSAM access : {REGSAM{KEY_QUERY_VALUE}, REGSAM{KEY_SET_VALUE}}) {
        EXPECT_EQ(RegistryViewAccess(access, false), access | view32);
        EXPECT_EQ(RegistryViewAccess(access, true), access | 0x100);
    }
}

} // namespace
