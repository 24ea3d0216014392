#pragma once
// Every process-wide store and seam the program reaches through an accessor (GTex(),
// HelpGTex(), FCache(), the overlay code page, scheduler(), dialogs(), clipboard(), serialPorts(), the
// stored COM-port lookup), installed for one run of the program in one place.
//
// The members are installed in the order they are declared and uninstalled in reverse when
// the object goes, so each one may use those above it: the stores read the overlay, the
// selection lists read the text store. Nothing else installs a store as a side effect.

#include "overlay/CodePage.h"
#include "overlay/cmcFCache.h"
#include "overlay/cmcGTex.h"
#include "platform/Scheduler.h"
#include "platform/SerialPort.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtScheduler.h"

#include <string>

namespace platform {
class SettingsStore;
}

class ProcessStores {
public:
    // `settings` answers the stored COM-port paths and must outlive this object. The
    // overlay is the product overlay beside the executable unless a test names another
    // file. A missing or unreadable overlay is a fatal stop here, before any window.
    explicit ProcessStores(const platform::SettingsStore& settings,
                           const std::string& overlayPath = ProductOverlayPath());

    platform::QtDialogs& dialogs() { return dialogs_; }

private:
    platform::QtScheduler scheduler_;
    platform::ScopedScheduler useScheduler_{scheduler_};
    platform::QtDialogs dialogs_;
    platform::ScopedDialogs useDialogs_{dialogs_};
    platform::QtClipboard clipboard_;
    platform::ScopedClipboard useClipboard_{clipboard_};
    platform::ScopedSerialPorts useSerialPorts_{platform::systemSerialPorts()};
    platform::ScopedStoredComPortLookup usePortLookup_;

    ScopedOverlayCodePage codePage_{kCodePageUtf8};
    cmcGTex text_;
    ScopedGTex useText_;
    cmcHelpGTex help_;
    ScopedHelpGTex useHelp_;
    cmcFCache selections_;
    ScopedFCache useSelections_{selections_};
};
