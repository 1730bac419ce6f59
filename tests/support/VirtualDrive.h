#pragma once

#include <string>
#include <vector>

// The test's own virtual CD drive: a control file and a command log in the
// working folder, named after the test exe, made known to the driver through
// VCD_CONTROL and VCD_LOG (child processes inherit them).
class VirtualDrive {
public:
    VirtualDrive();

    // Rewrites the control file whole, as a script would while we run.
    void Control(const std::string& text);
    void ClearLog();
    std::vector<std::string> Log() const;
    // The log lines that start with one of the words, e.g. {"play", "stop"}.
    std::vector<std::string> Log(const std::vector<std::string>& commands) const;

    // The track each play started at, in order.
    std::vector<int> PlayedTracks() const;

    // Runs vcdchange on this drive ("eject", or "insert" with control keys)
    // and dispatches our messages while it broadcasts; its exit code.
    unsigned long ChangeDisc(const std::string& arguments) const;

    const std::string& ControlPath() const { return controlPath; }

private:
    std::string controlPath;
    std::string logPath;
};

// A control text for a disc with these track starts ("m:s:f" each) and this
// lead-out, playing fast on a drive that reports every end at once, needs no
// spin-up and reads the disc at every question (so a test may swap discs
// under one open device); extra lines are appended as they are, and a key
// given again wins.
std::string DiscControl(const std::string& tracks, const std::string& leadOut, const std::string& extra = "");

// The four tracks of the identifier's worked example (1A5257), and the two
// tracks of the other one (5BFBC, with a 612345 ms disc).
extern const char kFourTrackStarts[];
extern const char kTwoTrackStarts[];

// The log's form of a packed position or a returned value.
std::string Hex8(unsigned value);
