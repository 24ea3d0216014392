// The program entry. Until the main window exists this runs the pieces of the program
// that do: the process-wide objects, the radio images and their self check, and the
// event loop with the event manager's drain, and reports what it did.

#include "app/cmcEvMan.h"
#include "image/cmcEeprom.h"
#include "platform/FatalStop.h"
#include "platform/posix/PollLoop.h"

#include <cstdio>

namespace {
void onMessage(void* user, cmcEvMessage& m) {
    if (m.type == EvMsg::StatusText) *static_cast<std::string*>(user) = m.text();
}
}  // namespace

int main() {
    platform::PollLoop loop;
    platform::ScopedScheduler useLoop(loop);
    cmcEvMan events;

    // The controller allocates its images with the larger of the EEPROM and the map size.
    cmcEeprom current(cmcEeprom::kImageSize);
    if (current.Size() < cmcEeprom::kImageSize) platform::fatalStop("Self Check Error.\nEEPROM Map is too large.");

    std::string status;
    events.Subscribe(&onMessage, &status);
    events.PostText(EvMsg::StatusText, 0, 0, "Ready");
    loop.runUntil([&] { return !status.empty(); }, 1000);

    std::printf("%s: image of %d bytes, event manager status \"%s\".\n", platform::executableFileName().c_str(),
                current.Size(), status.c_str());
    std::printf("The main window is not built yet; this run checks the program's core only.\n");
    return 0;
}
