#pragma once
// The controller as the cell value routine sees it: the current image, the model kind, the
// settings that items mirror, the open sheet, and the commands cells may run.

#include "image/RecordAccessor.h"
#include "values/CellContext.h"

class cuiMain;

class cuiCellContext final : public CellContext {
public:
    explicit cuiCellContext(cuiMain& controller);

    cmcEeprom& Image() override;
    RecordAccessor& Records() override { return records_; }
    cmcEeprom* InitialImage() override;
    int ModelKind() const override;
    CellSettings Settings() const override;
    bool SheetOpen() const override;
    void OpenSheet(const std::string& ref) override;
    void RunCommand(CellCommand command, std::int32_t argument) override;
    std::span<const std::uint8_t> ModelInformation() const override;

    cmcEeprom& RadioImage() override;
    AdjustmentState& Adjustment() override;
    const AdReadings& Readings() const override;
    bool LinkBusy() const override;
    bool SendLiveValue(std::uint8_t item, std::uint8_t value, std::uint8_t* target, bool awaitReply) override;
    bool SendLiveList(std::span<const LiveItem> items) override;

private:
    cuiMain& controller_;
    RecordAccessor records_;
    // What a controller without live adjustment shows: nothing runs, nothing was read.
    AdjustmentState noAdjustment_;
    AdReadings noReadings_;
};
