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
    int ModelKind() const override;
    CellSettings Settings() const override;
    bool SheetOpen() const override;
    void OpenSheet(const std::string& ref) override;
    void RunCommand(CellCommand command, std::int32_t argument) override;
    std::span<const std::uint8_t> ModelInformation() const override;

private:
    cuiMain& controller_;
    RecordAccessor records_;
};
