#include "screen_viewer.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include <windows.h>

#include <standin/standin.h>

namespace {

constexpr std::chrono::seconds kSnapshotInterval{1};

}  // namespace

ScreenViewer::ScreenViewer(const char *snapshotFolder) : folder_(snapshotFolder ? snapshotFolder : "") {
    std::error_code ignored;  // a folder that cannot be made fails its first save
    if (!folder_.empty()) std::filesystem::create_directories(folder_, ignored);
    StandinWatchScreen(&ScreenViewer::screenChanged, this);
}

ScreenViewer::~ScreenViewer() {
    StandinWatchScreen(nullptr, nullptr);
    if (changed_ && !folder_.empty()) save("screen-end.png");
}

void ScreenViewer::screenChanged(void *viewer) { static_cast<ScreenViewer *>(viewer)->show(); }

void ScreenViewer::show() {
    changed_ = true;
    if (mirroring_) mirroring_ = StandinMirrorScreen() != FALSE;
    if (folder_.empty()) return;
    const auto now = std::chrono::steady_clock::now();
    if (saved_ > 0 && now - lastSaved_ < kSnapshotInterval) return;
    char name[32];
    std::snprintf(name, sizeof name, "screen-%03d.png", saved_ + 1);
    save(name);
    lastSaved_ = now;
    ++saved_;
}

// Standard output belongs to the program being watched: trouble goes to
// standard error, once.
void ScreenViewer::save(const std::string &name) {
    const std::string path = folder_ + "/" + name;
    if (SUCCEEDED(StandinSaveScreenPng(path.c_str()))) return;
    std::fprintf(stderr, "reelrun: cannot write %s; no more snapshots\n", path.c_str());
    folder_.clear();
}
