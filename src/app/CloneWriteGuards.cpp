#include "app/CloneWriteGuards.h"

#include "app/ModelRules.h"
#include "app/cuiWarningCheck.h"
#include "image/RecordAccessor.h"
#include "values/CellContext.h"

namespace clonewrite {

namespace {

// The value routine's view of a bare image: the check cells read the image and the model
// kind; there is no sheet to open, no command to run and no radio to send to.
class ImageCellContext final : public CellContext {
public:
    ImageCellContext(cmcEeprom& image, int kind) : image_(image), records_(image), kind_(kind) {}
    cmcEeprom& Image() override { return image_; }
    RecordAccessor& Records() override { return records_; }
    int ModelKind() const override { return kind_; }
    CellSettings Settings() const override { return {}; }
    bool SheetOpen() const override { return false; }
    void OpenSheet(const std::string&) override {}
    void RunCommand(CellCommand, std::int32_t) override {}
    std::span<const std::uint8_t> ModelInformation() const override { return {}; }
    // No radio: the image is its own radio image, so nothing differs and nothing is sent.
    cmcEeprom& RadioImage() override { return image_; }
    AdjustmentState& Adjustment() override { return adjustment_; }
    const AdReadings& Readings() const override { return readings_; }
    bool LinkBusy() const override { return true; }
    bool SendLiveValue(std::uint8_t, std::uint8_t, std::uint8_t*, bool) override { return false; }
    bool SendLiveList(std::span<const LiveItem>) override { return false; }

private:
    cmcEeprom& image_;
    RecordAccessor records_;
    int kind_;
    AdjustmentState adjustment_;
    AdReadings readings_;
};

}  // namespace

bool hasProgrammedChannel(cmcEeprom& image) {
    // Only the channels of the banks are packed and sent; a record outside every bank is not.
    return RecordAccessor(image).totalUsedChannels() > 0;
}

std::string refusal(cmcEeprom& image, const std::function<int()>& warningErrors) {
    if (!hasProgrammedChannel(image)) return "GI_AppMess_CloneErr_NoActualCh";
    if (warningErrors && warningErrors() > 0) return "GI_Mess_DataError";
    return {};
}

int warningErrors(cmcEeprom& image, int modelKind) {
    ImageCellContext cells(image, modelKind);
    cuiWarningCheck check;
    return check.Run(cells, model::familyText(modelKind)).errors();
}

}  // namespace clonewrite
