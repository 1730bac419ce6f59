// What Windows reads from the exe itself: the version block that Explorer's
// Properties show, and the manifest that the loader applies.

#include "tests/app/ExeFixture.h"

#include <psapi.h>

#include <cstring>

#include "resources/resource.h"

namespace {

std::string VersionString(const std::vector<char>& block, const char* name) {
    char* value = nullptr;
    UINT length = 0;
    std::string path = std::string("\\StringFileInfo\\040904E4\\") + name;
    if (!VerQueryValueA(block.data(), path.c_str(), (void**)&value, &length) || length == 0)
        return "(missing)";
    return value;
}

std::vector<char> VersionBlock(const std::string& file) {
    DWORD size = GetFileVersionInfoSizeA(file.c_str(), nullptr);
    std::vector<char> block(size);
    if (size == 0 || !GetFileVersionInfoA(file.c_str(), 0, size, block.data()))
        block.clear();
    return block;
}

TEST(ShippedExe, CarriesItsVersionProductAndMaker) {
    std::vector<char> block = VersionBlock(ProgramUnderTestPath());
    ASSERT_FALSE(block.empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", (void**)&fixed, &length));
    EXPECT_EQ(fixed->dwFileVersionMS, DWORD(MAKELONG(SPINDLET_VERSION_MINOR, SPINDLET_VERSION_MAJOR)));
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", (void**)&translation, &length));
    EXPECT_EQ(translation[0], 0x409);
    EXPECT_EQ(translation[1], 1252);
    EXPECT_EQ(VersionString(block, "FileVersion"), "1.0");
    EXPECT_EQ(VersionString(block, "ProductVersion"), "1.0");
    EXPECT_EQ(VersionString(block, "CompanyName"), "Quillfen Software");
    EXPECT_EQ(VersionString(block, "ProductName"), "Spindlet");
    EXPECT_EQ(VersionString(block, "FileDescription"), "Spindlet audio-CD player");
    EXPECT_EQ(VersionString(block, "LegalCopyright"), "Copyright (C) 2026 Quillfen Software. All rights reserved.");
    EXPECT_EQ(VersionString(block, "OriginalFilename"), "spindlet.exe");
    EXPECT_EQ(VersionString(block, "InternalName"), "spindlet");
}

TEST(ShippedExe, CarriesAManifestForItsProcessor) {
    HMODULE exe = LoadLibraryExA(ProgramUnderTestPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    HRSRC found = FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    std::string text((const char*)LockResource(LoadResource(exe, found)), SizeofResource(exe, found));
    FreeLibrary(exe);
    // The test runs at the exe's width.
    const char* arch = sizeof(void*) == 4 ? "processorArchitecture=\"x86\"" : "processorArchitecture=\"amd64\"";
    for (const char* part : {"name=\"QuillfenSoftware.Spindlet\" version=\"1.0.0.0\"",
                             "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", ">true</dpiAware>",
                             "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""})
        EXPECT_NE(text.find(part), std::string::npos) << part;
    size_t first = text.find(arch);
    ASSERT_NE(first, std::string::npos) << arch;
    EXPECT_NE(text.find(arch, first + 1), std::string::npos) << "the common controls' too";
    EXPECT_EQ(text.find("dpiAwareness"), std::string::npos) << "system DPI awareness, not per monitor";
    // Without an execution level Windows redirects the writes to cdplayer.ini
    // in the Windows directory to the user's own copy, as for older players.
    EXPECT_EQ(text.find("trustInfo"), std::string::npos);
    EXPECT_EQ(text.find("requestedExecutionLevel"), std::string::npos);
}

// The loader honours the manifest: the Playlist dialog runs on the common
// controls of version 6, the ones with visual styles.
TEST_F(SpindletExeTest, ThePlaylistDialogRunsOnCommonControls6) {
    SetFlags(true, false);
    Launch();
    PostMessageA(window, WM_COMMAND, IDM_EDIT_PLAYLIST, 0);
    ASSERT_TRUE(PumpUntil([] { return FindWindowA("#32770", "Playlist") != nullptr; }));
    HMODULE modules[512] = {};
    DWORD bytes = 0;
    ASSERT_TRUE(EnumProcessModules(process, modules, sizeof(modules), &bytes));
    std::string comctl32;
    for (DWORD i = 0; i < bytes / sizeof(HMODULE); i++) {
        char path[MAX_PATH] = "";
        GetModuleFileNameExA(process, modules[i], path, sizeof(path));
        const char* name = strrchr(path, '\\');
        if (name && lstrcmpiA(name + 1, "comctl32.dll") == 0)
            comctl32 = path;
    }
    ASSERT_FALSE(comctl32.empty());
    // Loaded from the side-by-side assembly the manifest names, not from
    // system32 (the editor's tests ask that module its version in-process).
    EXPECT_NE(comctl32.find("\\winsxs\\"), std::string::npos) << comctl32;
    EXPECT_NE(comctl32.find("common-controls_6595b64144ccf1df_6.0"), std::string::npos) << comctl32;
    PostMessageA(FindWindowA("#32770", "Playlist"), WM_COMMAND, IDCANCEL, 0);
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(ExitCode(), 0u);
}

}  // namespace
