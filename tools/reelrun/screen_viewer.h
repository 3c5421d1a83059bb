// Lets a person see what a host played on the stand-in's screen: the screen
// mirrored in a desktop window after every change when a display is present,
// and saved as PNG images into a folder when one is named.
#pragma once

#include <chrono>
#include <string>

class ScreenViewer {
public:
    // Snapshots go to `snapshotFolder`, made when missing (none when null or
    // empty): the screen after its first change, then at most once a
    // second, and at the end.
    explicit ScreenViewer(const char *snapshotFolder);
    // Saves the last picture, when the screen changed at all, and stops
    // watching.
    ~ScreenViewer();
    ScreenViewer(const ScreenViewer &) = delete;
    ScreenViewer &operator=(const ScreenViewer &) = delete;

private:
    static void screenChanged(void *viewer);
    void show();
    void save(const std::string &name);

    std::string folder_;
    bool mirroring_ = true;  // until the stand-in finds no display
    bool changed_ = false;
    int saved_ = 0;
    std::chrono::steady_clock::time_point lastSaved_;
};
