#pragma once
// The user's settings, held in memory while the program runs. Only the first instance
// reads them (at construction) and writes them, once, at the end: the start-up code calls
// SaveOnce while the main window is still there, and the destructor saves only when that
// did not happen. A second instance touches nothing. Other parts read and change the
// values directly.

#include "platform/InstanceLock.h"
#include "platform/SettingsStore.h"

#include <cstdint>
#include <list>
#include <string>
#include <vector>

struct ScreenSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Placement of an edit window (measured values, bit-field editor, ...), keyed by its
// sheet key. Only the name, the bounds and the window state are stored.
struct EditWindowPos {
    std::string name;
    std::int32_t left = 0, top = 0, width = 0, height = 0;
    std::int32_t topRow = -1, leftCol = -1, curRow = -1, curCol = -1;
    std::int32_t windowState = 0;
    std::int32_t open = 0;
};

class indEnviron {
public:
    static constexpr const char* kMutexName = "Vorn Tarsel APP Exclusive Mutex";
    static constexpr const char* kKeyPath = "Software\\Vorn\\Tarsel";
    static constexpr std::int32_t kValid = 753951;
    static constexpr int kRecentMax = 10;

    indEnviron(const std::string& mutexName, platform::SettingsStore& store, platform::InstanceLock& lock,
               ScreenSize screen);
    ~indEnviron();
    indEnviron(const indEnviron&) = delete;
    indEnviron& operator=(const indEnviron&) = delete;

    bool IsFirstInstance() const { return firstInstance_; }

    // The values, with their stored defaults.
    std::int32_t validity = 0;
    std::int32_t comPort = 1;
    std::int32_t comSpeedHigh = 0;
    std::string currentDirectory;
    std::int32_t fontSizePercentage = 100;
    std::int32_t toolbarVisible = 1;
    std::int32_t left = 0, top = 0, width = 0, height = 0;
    std::int32_t splitterV = 200;
    std::int32_t modelType = 4;  // a signed byte, widened
    bool adWindowOpen = false;   // run-time only, never stored

    void StoreEditWindowPos(const EditWindowPos& pos);
    // The entry of that name (case-sensitive); loads it from the store on first use.
    // Null when there is none.
    const EditWindowPos* FindEditWindowPos(const std::string& name);

    void RecentAddFront(const std::string& path);
    int RecentCount() const { return static_cast<int>(recent_.size()); }
    std::string RecentItem(int index) const;

    void ApplyDefaults();

    // Writes every value and makes the save durable, the first time it is called (later
    // calls, and the destructor, then write nothing). A failed save keeps the previous
    // settings (the store replaces them as a whole or not at all) and is reported on
    // standard error and, with `showBox`, in a message box. Returns false on failure; a
    // second instance or an invalid state saves nothing and counts as success.
    bool SaveOnce(bool showBox);

private:
    bool Load();
    bool Save();
    void RecentAppend(const std::string& path);

    platform::SettingsStore& store_;
    platform::InstanceLock& lock_;
    ScreenSize screen_;
    bool firstInstance_ = false;
    bool saved_ = false;
    std::vector<std::string> recent_;
    std::list<EditWindowPos> editWindows_;
};
