// ReadSettings and WriteSettings against Wine's registry in the test prefix.

#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class SettingsTest : public testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quillfen Software"); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quillfen Software"); }

    static void Store(const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key;
        RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegSetValueExA(key, name, 0, type, (const BYTE*)data, size);
        RegCloseKey(key);
    }
    static void StoreNumber(const char* name, DWORD value) { Store(name, REG_DWORD, &value, sizeof(value)); }

    // The stored value, its type and size; false when it is missing.
    static bool Stored(const char* name, DWORD* value, DWORD* type, DWORD* size) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        *size = sizeof(*value);
        LONG result = RegQueryValueExA(key, name, nullptr, type, (BYTE*)value, size);
        RegCloseKey(key);
        return result == ERROR_SUCCESS;
    }

    static void ExpectStored(const char* name, DWORD expected) {
        DWORD value = 99, type = 0, size = 0;
        ASSERT_TRUE(Stored(name, &value, &type, &size)) << name;
        EXPECT_EQ(value, expected) << name;
        EXPECT_EQ(type, (DWORD)REG_DWORD) << name;
        EXPECT_EQ(size, 4u) << name;
    }
};

TEST_F(SettingsTest, FirstRunCreatesBothValuesAsOne) {
    LClickMenu = Autoplay = false;
    ReadSettings();
    EXPECT_TRUE(LClickMenu);
    EXPECT_TRUE(Autoplay);
    ExpectStored("LClickMenu", 1);
    ExpectStored("Autoplay", 1);
}

TEST_F(SettingsTest, ZeroIsFalseAnyOtherNumberTrueAndWrittenBackAsOne) {
    StoreNumber("LClickMenu", 0);
    StoreNumber("Autoplay", 7);
    ReadSettings();
    EXPECT_FALSE(LClickMenu);
    EXPECT_TRUE(Autoplay);
    // Reading never writes.
    ExpectStored("Autoplay", 7);
    WriteSettings();
    ExpectStored("LClickMenu", 0);
    ExpectStored("Autoplay", 1);
}

TEST_F(SettingsTest, MissingOrOddValuesReadAsTrue) {
    StoreNumber("Autoplay", 0);
    LClickMenu = false;
    ReadSettings();  // the key exists, "LClickMenu" does not
    EXPECT_TRUE(LClickMenu);
    EXPECT_FALSE(Autoplay);

    Store("LClickMenu", REG_SZ, "0", 2);
    unsigned long long wide = 0;
    Store("Autoplay", REG_QWORD, &wide, sizeof(wide));
    ReadSettings();
    EXPECT_TRUE(LClickMenu);
    EXPECT_TRUE(Autoplay);

    // Four bytes of any type read as the number they hold.
    DWORD zero = 0;
    Store("LClickMenu", REG_BINARY, &zero, sizeof(zero));
    ReadSettings();
    EXPECT_FALSE(LClickMenu);
}

// Anyone can store anything under the key: every type and size reads as a
// flag without reading past the four-byte buffer, and exit writes numbers.
TEST_F(SettingsTest, ValuesOfEveryTypeAndSizeReadAsAFlagAndAreWrittenBackAsNumbers) {
    struct Odd {
        DWORD type;
        std::string bytes;
        bool flag;
    };
    const Odd odd[] = {
        {REG_SZ, "0", true},  // no terminating zero
        {REG_SZ, "abc", true},
        {REG_SZ, std::string(4, '\0'), false},  // four bytes: the number they hold
        {REG_EXPAND_SZ, std::string(300, 'x'), true},
        {REG_BINARY, "\x01", true},
        {REG_BINARY, std::string(3, '\0'), true},
        {REG_BINARY, std::string(4, '\0'), false},
        {REG_BINARY, std::string(300, '\0'), true},
        {REG_MULTI_SZ, std::string("a\0b\0\0", 5), true},
        {REG_NONE, "", true},
        {REG_DWORD_BIG_ENDIAN, std::string("\0\0\0\1", 4), true},
    };
    for (const Odd& value : odd) {
        SCOPED_TRACE(value.type);
        Store("LClickMenu", value.type, value.bytes.data(), (DWORD)value.bytes.size());
        Store("Autoplay", value.type, value.bytes.data(), (DWORD)value.bytes.size());
        LClickMenu = Autoplay = !value.flag;
        ReadSettings();
        EXPECT_EQ(LClickMenu, value.flag);
        EXPECT_EQ(Autoplay, value.flag);
        WriteSettings();
        ExpectStored("LClickMenu", value.flag);
        ExpectStored("Autoplay", value.flag);
    }
}

TEST_F(SettingsTest, WriteOpensTheKeyButNeverCreatesIt) {
    LClickMenu = false;
    WriteSettings();
    DWORD value, type, size;
    EXPECT_FALSE(Stored("LClickMenu", &value, &type, &size));
}

}  // namespace
