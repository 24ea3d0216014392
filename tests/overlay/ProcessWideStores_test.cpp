// Every process-wide store installs through the same scope: installs nest, and leaving a
// scope brings back exactly what was there before it, innermost first.

#include "overlay/CodePage.h"
#include "overlay/cmcFCache.h"
#include "overlay/cmcGTex.h"
#include "platform/Dialogs.h"
#include "platform/Scheduler.h"
#include "platform/SerialPort.h"
#include "platform/doubles/MemorySerial.h"
#include "platform/doubles/ScriptedDialogs.h"
#include "platform/doubles/VirtualScheduler.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>

namespace {

struct StoreCase {
    const char* name;
    // What the store's accessor answers now, written so that two different installs differ.
    std::function<std::string()> current;
    // Installs the n-th fresh store; it stays installed until the result is released.
    std::function<std::shared_ptr<void>(int n)> install;
};

template <class T>
std::string Address(T& object) {
    std::ostringstream out;
    out << static_cast<const void*>(&object);
    return out.str();
}

// A store held together with the scope that installs it.
template <class Object, class Scope>
struct Held {
    Object object;
    Scope scope{object};
};

template <class Object, class Scope, class Accessor>
StoreCase PointerStore(const char* name, Accessor accessor) {
    return {name, [accessor] { return Address(accessor()); },
            [](int) { return std::static_pointer_cast<void>(std::make_shared<Held<Object, Scope>>()); }};
}

const StoreCase kStores[] = {
    PointerStore<platform::VirtualScheduler, platform::ScopedScheduler>("scheduler", &platform::scheduler),
    PointerStore<platform::ScriptedDialogs, platform::ScopedDialogs>("dialogs", &platform::dialogs),
    PointerStore<platform::MemorySerialPorts, platform::ScopedSerialPorts>("serial ports", &platform::serialPorts),
    PointerStore<cmcGTex, ScopedGTex>("text store", &GTex),
    PointerStore<cmcHelpGTex, ScopedHelpGTex>("help store", &HelpGTex),
    PointerStore<cmcFCache, ScopedFCache>("selection lists", &FCache),
    // The number and its lead bytes come back together.
    {"code page", [] { return std::to_string(OverlayCodePage()) + (IsLeadByte('\x85') ? " lead" : ""); },
     [](int n) {
         return std::static_pointer_cast<void>(std::make_shared<ScopedOverlayCodePage>(n == 1 ? 932 : 1252));
     }},
    {"stored COM-port lookup",
     [] {
         platform::ComPortSources onlyStored;
         onlyStored.stored = platform::systemComPortSources().stored;
         onlyStored.deviceDirectory = "";
         return platform::resolveComPort(1, onlyStored);
     },
     [](int n) {
         return std::static_pointer_cast<void>(std::make_shared<platform::ScopedStoredComPortLookup>(
             [n](int) -> std::optional<std::string> { return "/dev/stored" + std::to_string(n); }));
     }},
};

TEST(ProcessWideStores, NestedInstallsComeBackInReverseOrder) {
    for (const StoreCase& store : kStores) {
        SCOPED_TRACE(store.name);
        const std::string original = store.current();
        {
            auto outer = store.install(1);
            const std::string first = store.current();
            EXPECT_NE(first, original);
            {
                auto inner = store.install(2);
                EXPECT_NE(store.current(), first);
                EXPECT_NE(store.current(), original);
            }
            EXPECT_EQ(store.current(), first) << "the inner scope gives back the outer install";
        }
        EXPECT_EQ(store.current(), original) << "the outer scope gives back the default";
    }
}

}  // namespace
