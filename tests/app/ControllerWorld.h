#pragma once
// What a controller needs around it in a test: a clock, scripted dialogs, settings in
// memory, the product overlay and an event manager.

#include "app/indEnviron.h"
#include "app/cmcEvMan.h"
#include "platform/doubles/ScriptedDialogs.h"
#include "platform/doubles/VirtualScheduler.h"
#include "overlay/cmcGTex.h"

#include <string>

// Everything but the clock. The scheduler must be installed before these are made (the event
// manager starts its timer task at once), so a fixture names its clock as an earlier base.
struct ControllerStores {
    ControllerStores() { overlay.AttachFile(std::string(TRELVIX_SOURCE_DIR) + "/data/Trelvix.OVL"); }

    platform::ScopedScriptedDialogs dialogs;
    platform::SettingsTree store;
    platform::MemoryInstanceLock lock;
    indEnviron settings{indEnviron::kMutexName, store, lock, {1024, 768}};
    cmcGTex overlay;
    ScopedGTex install{overlay};
    cmcEvMan events;
};

struct VirtualClock {
    platform::ScopedVirtualTime time;
};

// The usual world: virtual time, then the stores.
struct ControllerWorld : VirtualClock, ControllerStores {};
