#pragma once
// What a controller needs around it in a test: virtual time, scripted dialogs, settings
// in memory, the product overlay and an event manager.

#include "app/indEnviron.h"
#include "app/cmcEvMan.h"
#include "platform/doubles/ScriptedDialogs.h"
#include "platform/doubles/VirtualScheduler.h"
#include "overlay/cmcGTex.h"

#include <string>

struct ControllerWorld {
    ControllerWorld() { overlay.AttachFile(std::string(TRELVIX_SOURCE_DIR) + "/data/Trelvix.OVL"); }

    platform::ScopedVirtualTime time;
    platform::ScopedScriptedDialogs dialogs;
    platform::SettingsTree store;
    platform::MemoryInstanceLock lock;
    indEnviron settings{indEnviron::kMutexName, store, lock, {1024, 768}};
    cmcGTex overlay;
    ScopedGTex install{overlay};
    cmcEvMan events;
};
