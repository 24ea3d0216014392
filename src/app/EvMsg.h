#pragma once
// The numbered messages of the event manager. The numbers are fixed: every part of the
// program that sends or handles a message uses these names. Numbers not listed are unused.

#include <cstdint>

enum class EvMsg : std::uint8_t {
    WindowDestroyed = 1,       // Send; second = the window being destroyed
    SettingsChanged = 2,       // Send; the controller follows with UpdateMenus, UpdateToolbars
    ShowAbout = 3,             // Post
    StatusText = 4,            // Send; first = text colour, second = background, data = text
    OpenFreeDebug = 5,         // Send
    OpenEepromDebug = 6,       // Send
    RunDebugCompare = 7,       // Send
    ReferenceFromCurrent = 8,  // Send or Post; reference image := current image
    UpdateMenus = 9,           // Send; menus recompute enabled, checked, visible, caption, image
    ClearSubmenu = 10,         // Send; second = command identifier
    FillSubmenu = 11,          // Send; first = popup menu, second = command identifier, data = key
    QueryPopupCell = 12,       // Query; the open sheet replies with its current cell's popup menu name as data
    RedrawBound = 13,          // Send or Post; every visible cell bound to a cell identifier
    RedrawCategory = 14,       // Send or Post; second = category
    RedrawCellId = 15,         // Send or Post; second = cell identifier
    RedrawIndex = 16,          // Send or Post; second = index
    RedrawIndexUpTo = 17,      // Send or Post; second = highest index
    RedrawIndexFrom = 18,      // Send or Post; second = lowest index
    CurrentCellChanged = 19,   // Send; data = the new current cell's CellKey
    UpdateToolbars = 20,       // Send
    CommitEdit = 21,           // Send; before save, new and clone write
    DebugAppendLine = 22,      // Send; data = text
    WarningCheckDone = 23,     // Post or Send
    EepromDebugGoto = 24,      // Send; second = address
    TreeChanged = 25,          // Send or Post; the model controller prunes the tree and reselects
    InsertChannelRows = 26,    // Send; first, second = row range
    DeleteChannelRows = 27,    // Send; first, second = row range
    InsertRepeaterRows = 28,   // Send; first, second = row range
    DeleteRepeaterRows = 29,   // Send; first, second = row range
    QueryBankSheet = 30,       // Query; a bank sheet answers with its bank number and first channel
    ChannelsChanged = 31,      // Send or Post
    BankAddLastRow = 33,       // Send or Post
    BankRemoveLastRow = 34,    // Send or Post
    BanksChanged = 35,         // Post; the tree refreshes its bank icons
    BankName = 36,             // Post; second = bank number, data = bank name
    OpenAdWindow = 40,         // Post
    BringWindowToFront = 42,   // Send; data = window name
};
