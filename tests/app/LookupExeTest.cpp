// Names looked up online from the Playlist dialog of the real spindlet.exe,
// against a stand-in server of the tests' own on 127.0.0.1
// (tests/lookup/lookup_server.py), which answers by the path's first part.

#include "tests/app/DialogExeFixture.h"

namespace {

class LookupExeTest : public DialogExeTest {
protected:
    void SetUp() override {
        DialogExeTest::SetUp();
        // Nothing between the program and 127.0.0.1.
        SetEnvironmentVariableA("http_proxy", nullptr);
        SetEnvironmentVariableA("HTTP_PROXY", nullptr);
        CreateDirectoryA("lookup-server", nullptr);
        DeleteFileA(kReady);
        DeleteFileA(kRequests);
        DeleteFileA(kTimes);
        StartUnixProgram("/usr/bin/python3 " SOURCE_DIR "/tests/lookup/lookup_server.py " + UnixPath("lookup-server"));
        std::string port;
        ASSERT_TRUE(PumpUntil([&] { return ReadTextFile(kReady, &port) && !port.empty(); }, 10000));
        server = "http://127.0.0.1:" + port;
    }

    void TearDown() override {
        DeleteFileA(kReady);  // the server ends
        SetServer("");
        DialogExeTest::TearDown();
    }

    void SetServer(const std::string& address) {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (address.empty())
            RegDeleteValueA(key, "LookupServer");
        else
            RegSetValueExA(key, "LookupServer", 0, REG_SZ, (const BYTE*)address.c_str(), (DWORD)address.size() + 1);
        RegCloseKey(key);
    }

    HWND OpenEditor() {
        StartPlaying();
        return Open(IDM_EDIT_PLAYLIST, kPlaylist);
    }

    void ClickLookUp(HWND dialog) {
        HWND button = Control(dialog, IDC_LOOKUP);
        PostMessageA(GetParent(button), WM_COMMAND, IDC_LOOKUP, (LPARAM)button);
    }

    std::string Status(HWND dialog) { return Text(Control(dialog, IDC_LOOKUP_STATUS)); }

    // The line the page shows once the lookup is over.
    std::string LookUp(HWND dialog, const std::string& kind) {
        SetServer(server + "/" + kind);
        ClickLookUp(dialog);
        PumpUntil([&] { return Status(dialog) == "Looking up..."; }, 2000);
        PumpUntil([&] { return Status(dialog) != "Looking up..." && Text(Control(dialog, IDC_LOOKUP)) == "&Look Up"; },
                  20000);
        return Status(dialog);
    }

    HWND Chooser() {
        HWND chooser = nullptr;
        PumpUntil([&] { return !Dialogs("Choose a Release").empty() && (chooser = Dialogs("Choose a Release")[0]); });
        return chooser;
    }

    static constexpr const char* kReady = "lookup-server\\ready";
    static constexpr const char* kRequests = "lookup-server\\requests";
    static constexpr const char* kTimes = "lookup-server\\times";

    // When the server took each request, in seconds.
    std::vector<double> RequestTimes() {
        std::string text;
        ReadTextFile(kTimes, &text);
        std::vector<double> times;
        for (size_t at = 0; at < text.size(); at = text.find('\n', at) + 1)
            times.push_back(atof(text.c_str() + at));
        return times;
    }
    std::string server;
};

// One release: its names in the page, names outside the code page with its
// default character, kept by OK; the request as the service asks for it.
TEST_F(LookupExeTest, OneMatchIsFilledInAndKeptByOk) {
    HWND dialog = OpenEditor();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(LookUp(dialog, "one"), "Online Artist - Looked Up (1999-05-01, GB, CD)");
    EXPECT_EQ(Text(Control(dialog, IDC_ARTIST)), "Online Artist");
    EXPECT_EQ(Text(Control(dialog, IDC_TITLE)), "Looked Up");
    EXPECT_EQ(TrackName(dialog, 1), "Caf\xE9");
    EXPECT_EQ(TrackName(dialog, 2), "?? Nights");
    Press(dialog, IDOK);
    EXPECT_EQ(IniValue(ThreeTrackSection(), "artist"), "Online Artist");
    EXPECT_EQ(IniValue(ThreeTrackSection(), "2"), "?? Nights");
    std::string requests;
    ReadTextFile(kRequests, &requests);
    const std::string path = "/one/ws/2/discid/";
    ASSERT_EQ(requests.compare(0, path.size(), path), 0) << requests;
    EXPECT_EQ(requests.substr(path.size() + 28),
              "?toc=1+3+13650+150+4650+9150&cdstubs=no&inc=recordings+artist-credits&fmt=json Spindlet/1.0\n");
    ExitAndExpectCleanEnd();
}

// Several: a chooser; None takes nothing, a choice fills the page in.
TEST_F(LookupExeTest, SeveralMatchesOfferAChoice) {
    HWND dialog = OpenEditor();
    ASSERT_NE(dialog, nullptr);
    SetServer(server + "/several");
    ClickLookUp(dialog);
    HWND chooser = Chooser();
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(SendDlgItemMessageA(chooser, IDC_CHOICE_LIST, LB_GETCOUNT, 0, 0), 2);
    PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(PumpUntil([&] { return Status(dialog) == "No release taken."; }));
    EXPECT_EQ(Text(Control(dialog, IDC_ARTIST)), "Artist");
    ClickLookUp(dialog);
    chooser = Chooser();
    ASSERT_NE(chooser, nullptr);
    SendDlgItemMessageA(chooser, IDC_CHOICE_LIST, LB_SETCURSEL, 1, 0);
    PostMessageA(chooser, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PumpUntil([&] { return Text(Control(dialog, IDC_ARTIST)) == "Other Artist"; }));
    EXPECT_EQ(TrackName(dialog, 0), "Other 1");
    Press(dialog, IDCANCEL);
    ExitAndExpectCleanEnd();
    EXPECT_EQ(IniValue(ThreeTrackSection(), "artist"), "Artist");
}

TEST_F(LookupExeTest, EachFailureLeavesTheNamesAndSaysWhy) {
    HWND dialog = OpenEditor();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(LookUp(dialog, "none"), "No match for this disc.");
    EXPECT_EQ(LookUp(dialog, "busy"), "The server is busy. Try again in a while.");
    EXPECT_EQ(LookUp(dialog, "bad"), "The server's answer could not be read.");
    EXPECT_EQ(LookUp(dialog, "large"), "The server's answer is too large (over 1 MB).");
    DWORD number = 1;
    RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, "LookupServer", REG_DWORD, &number, sizeof(number));
    ClickLookUp(dialog);
    EXPECT_TRUE(PumpUntil([&] { return Status(dialog) == "The LookupServer setting cannot be read."; }));
    server = "http://127.0.0.1:1";
    EXPECT_EQ(LookUp(dialog, "one"), "Could not connect to http://127.0.0.1:1/one.");
    EXPECT_EQ(Text(Control(dialog, IDC_ARTIST)), "Artist");
    EXPECT_EQ(TrackName(dialog, 0), "Alpha");
    Press(dialog, IDCANCEL);
    ExitAndExpectCleanEnd();
}

// A server that never answers: Stop ends the lookup at once, the next one
// times out after 15 s, and Cancel closes the dialog in the middle of one.
TEST_F(LookupExeTest, AServerThatNeverAnswers) {
    HWND dialog = OpenEditor();
    ASSERT_NE(dialog, nullptr);
    SetServer(server + "/silent");
    ClickLookUp(dialog);
    ASSERT_TRUE(PumpUntil([&] { return Text(Control(dialog, IDC_LOOKUP)) == "&Stop"; }));
    EXPECT_EQ(Status(dialog), "Looking up...");
    ClickLookUp(dialog);
    EXPECT_TRUE(PumpUntil([&] { return Text(Control(dialog, IDC_LOOKUP)) == "&Look Up"; }, 500));
    EXPECT_EQ(Status(dialog), "Stopped.");
    EXPECT_EQ(LookUp(dialog, "silent"), "No answer from the server in 15 seconds.");
    ClickLookUp(dialog);
    ASSERT_TRUE(PumpUntil([&] { return Text(Control(dialog, IDC_LOOKUP)) == "&Stop"; }));
    Press(dialog, IDCANCEL);
    ExitAndExpectCleanEnd();
}

// The service takes at most one request a second: clicks 200 ms apart
// (Look Up, Stop, Look Up, Stop, Look Up) send two requests a second apart,
// the stopped one never; a Retry-After holds the next click back.
TEST_F(LookupExeTest, NeverTwoRequestsWithinASecond) {
    HWND dialog = OpenEditor();
    ASSERT_NE(dialog, nullptr);
    SetServer(server + "/silent");
    for (int click = 0; click < 5; click++) {
        ClickLookUp(dialog);
        PumpFor(200);
    }
    EXPECT_EQ(Text(Control(dialog, IDC_LOOKUP)), "&Stop");
    PumpFor(2000);
    std::vector<double> times = RequestTimes();
    ASSERT_EQ(times.size(), 2u);
    EXPECT_GE(times[1] - times[0], 0.99);
    ClickLookUp(dialog);
    EXPECT_EQ(LookUp(dialog, "wait"), "The server is busy. Try again in 2 seconds.");
    ClickLookUp(dialog);
    EXPECT_TRUE(PumpUntil([&] { return Status(dialog).find("Try again in") != std::string::npos; }));
    PumpFor(500);
    EXPECT_EQ(RequestTimes().size(), 3u);
    PumpFor(1600);
    EXPECT_EQ(LookUp(dialog, "none"), "No match for this disc.");
    EXPECT_EQ(RequestTimes().size(), 4u);
    Press(dialog, IDCANCEL);
    ExitAndExpectCleanEnd();
}

}  // namespace
