#pragma once
// What a sheet test needs around a sheet: a site that records what the sheet tells the
// program, a stand-in value callback that answers from a script, and a view that records
// what the sheet asks to repaint.

#include "image/RecordAccessor.h"
#include "image/cmcEeprom.h"
#include "sheets/cuiSheet.h"
#include "values/CellContext.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class RecordingContext : public CellContext {
public:
    RecordingContext() { image.Resize(cmcEeprom::kImageSize); }
    cmcEeprom image;
    RecordAccessor records{image};
    cmcEeprom& Image() override { return image; }
    RecordAccessor& Records() override { return records; }
    // Where new rows take their default record.
    cmcEeprom initial{cmcEeprom::kImageSize};
    cmcEeprom* InitialImage() override { return &initial; }
    int kind = 4;
    int ModelKind() const override { return kind; }
    CellSettings Settings() const override { return {}; }
    bool SheetOpen() const override { return true; }
    void OpenSheet(const std::string&) override {}
    std::vector<std::pair<CellCommand, std::int32_t>> commands;
    // The refresh after a change is counted apart from the commands cells ask for.
    int refreshes = 0;
    void RunCommand(CellCommand command, std::int32_t argument) override {
        if (command == CellCommand::Refresh) {
            ++refreshes;
            return;
        }
        commands.emplace_back(command, argument);
    }
    std::span<const std::uint8_t> ModelInformation() const override { return {}; }

    // Live adjustment: the sends are recorded (list values copied as they were sent) and
    // behave like the controller's, storing a value sent without reply at its target; while
    // `busy` nothing is sent.
    struct Sent {
        std::uint8_t item;
        std::uint8_t value;
        bool awaitReply;
        friend bool operator==(const Sent&, const Sent&) = default;
    };
    cmcEeprom radio{cmcEeprom::kImageSize};
    AdjustmentState adjustment;
    AdReadings readings;
    bool busy = false;
    std::vector<Sent> sent;
    std::vector<std::vector<std::pair<std::uint8_t, std::uint8_t>>> lists;
    cmcEeprom& RadioImage() override { return radio; }
    AdjustmentState& Adjustment() override { return adjustment; }
    const AdReadings& Readings() const override { return readings; }
    bool LinkBusy() const override { return busy; }
    bool SendLiveValue(std::uint8_t item, std::uint8_t value, std::uint8_t* target, bool awaitReply) override {
        if (busy) return false;
        sent.push_back({item, value, awaitReply});
        if (!awaitReply && target) *target = value;
        return true;
    }
    bool SendLiveList(std::span<const LiveItem> items) override {
        if (busy) return false;
        std::vector<std::pair<std::uint8_t, std::uint8_t>> list;
        for (const LiveItem& item : items) {
            if (item.code == 0xFF) break;
            list.emplace_back(item.code, item.value ? *item.value : 0);
        }
        lists.push_back(std::move(list));
        return true;
    }
};

class RecordingSite : public cuiSheetSite {
public:
    RecordingContext context;
    RowConditions conditions;
    std::int32_t fontPercentage = 100;
    bool printJob = false;
    // What the sheet told, as short texts ("9", "10", "11 NAME", "19 id[index]", "4").
    std::vector<std::string> told;

    CellContext* Cells() override { return &context; }
    RowConditions Conditions() const override { return conditions; }
    std::int32_t FontSizePercentage() const override { return fontPercentage; }
    bool PrintJobRunning() const override { return printJob; }
    void CommandsChanged() override { told.push_back("9"); }
    void EditMenuCleared() override { told.push_back("10"); }
    void EditMenuFilled(const std::string& name) override { told.push_back("11 " + name); }
    void CurrentCellChanged(const CellKey& k) override {
        told.push_back("19 " + std::to_string(k.id) + "[" + std::to_string(k.index) + "]");
    }
    void StatusCleared() override { told.push_back("4"); }
    // Selection lists: what was asked for ("list NAME kind value"), built by `makeList`
    // (none: no list can be shown).
    std::function<std::unique_ptr<cuiSheet>(const std::string&, CellId, std::int32_t)> makeList;
    std::vector<std::string> lists;
    std::unique_ptr<cuiSheet> MakeChoiceList(const std::string& name, CellId kind, std::int32_t value) override {
        lists.push_back("list " + name + " " + std::to_string(kind) + " " + std::to_string(value));
        return makeList ? makeList(name, kind, value) : nullptr;
    }
};

// The value callback of a test: records each request and answers with `answer`.
struct ScriptedCallback {
    struct Call {
        CellMode mode;
        std::int32_t key;
        std::int32_t index;
        std::string text;
        bool shift = false;
        std::optional<CellKey> picked;  // Pick: the item chosen
    };
    std::vector<Call> calls;
    std::function<CellResult(cmcCellCapsule&)> answer = [](cmcCellCapsule&) { return CellResult::None; };

    cuiSheet::ValueCallback Callback() {
        return [this](cmcCellCapsule& r) {
            calls.push_back({r.mode, r.key, r.cell ? r.cell->key.index : 0, r.editText, r.shift,
                             r.picked ? std::optional<CellKey>(r.picked->key) : std::nullopt});
            return answer(r);
        };
    }
    std::vector<Call> Of(CellMode mode) const {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.mode == mode) out.push_back(c);
        return out;
    }
};

class RecordingView : public cuiSheetView {
public:
    std::vector<std::pair<std::int32_t, std::int32_t>> cells;
    int all = 0, positions = 0, editor = 0, repaints = 0, closed = 0;
    // Selection lists shown at a cell of this view's sheet; `gone` counts SheetGone.
    bool showsLists = true;
    std::vector<std::pair<cuiSheet*, SheetPos>> shownLists;
    int gone = 0;
    bool ShowChoiceList(cuiSheet& list, std::int32_t c, std::int32_t r) override {
        if (showsLists) shownLists.emplace_back(&list, SheetPos{c, r});
        return showsLists;
    }
    void SheetGone() override { ++gone; }
    void InvalidateCell(std::int32_t c, std::int32_t r) override { cells.emplace_back(c, r); }
    void InvalidateAll() override { ++all; }
    void PositionChanged() override { ++positions; }
    void EditorChanged() override { ++editor; }
    void RepaintNow() override { ++repaints; }
    void CloseHostWindow() override { ++closed; }
};

}  // namespace testsupport
