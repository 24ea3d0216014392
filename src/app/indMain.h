#pragma once
// The controller of this radio family: a cuiMain that knows the eight model kinds and the
// pruning of the sheet tree by model. The facts of the family live in ModelRules and
// ImagePreparation, and its data-file rules in FamilyRules, shared with the command-line
// tools.

#include "app/AdjustmentProcedures.h"
#include "app/cuiMain.h"
#include "values/AdjustmentState.h"

#include <array>

class indMain : public cuiMain {
public:
    indMain(indEnviron& settings, cmcEvMan& events);
    ~indMain() override;

    void BuildTree() override;                                                                  // 3
    int CheckMakerIdentity(const std::uint8_t* data, std::size_t size, bool withIdentityText) override;  // 4
    int CheckNewerData(const std::uint8_t* data, std::size_t size) override;                    // 5
    void AfterImageLoaded(cmcEeprom& image, int modelKind) override;                            // 6
    void RunWarningCheck(int& errors, int& warnings) override;                                  // 9
    void StartCloneWrite() override;                                                            // 12

    int ModelKind() const override { return Settings().modelType; }

    // The measured values the radio reads back: item code 3 with each parameter number.
    static constexpr std::uint8_t kReadBackParameters[13] = {1, 2, 3, 4, 32, 33, 34, 35, 39, 40, 41, 42, 43};
    std::span<const LiveItem> ReadBackList() override { return readBack_; }
    std::span<const std::uint8_t> ReadBackParameters() const override { return kReadBackParameters; }
    std::uint8_t MeasuredValue(int parameter) const override { return readings_.Of(parameter); }
    void ChangeModel(int kind, bool ask) override;

    // --- Live adjustment ---------------------------------------------------------------
    // The measured-values window (message 40): brought to the front when it is open, else
    // opened; the radio is then set to its first programmed adjustment channel.
    void OpenAdWindow();
    AdjustmentState& Adjustment() { return adjust_; }
    const AdReadings& Readings() const { return readings_; }
    AdjustmentProcedures& Procedures() { return procedures_; }
    void StartProcedure(AdjustmentProcedures::Procedure p);
    AdjustmentState* LiveAdjustment() override { return &adjust_; }
    const AdReadings* LiveReadings() const override { return &readings_; }
    void StartAdjustment(AdjustmentProcedure p) override { StartProcedure(p); }
    void StartCalibration(int procedureNumber) override {
        ReleaseLiveHold();
        procedures_.StartCalibration(procedureNumber);
    }
    void ConfirmCalibration() override { procedures_.ConfirmCalibration(); }

    // Deletes the tree nodes the current model kind does not have (message 25).
    void PruneTree();
    // Bank icons of the tree from the banks' flags and channel counts (message 35).
    void RefreshBankIcons();

private:
    // The procedures' way to the radio: the controller's live sends.
    class Link : public LiveLink {
    public:
        explicit Link(indMain& c) : c_(c) {}
        bool Busy() const override { return c_.LinkBusy(); }
        bool SendValue(std::uint8_t item, std::uint8_t value, std::uint8_t* target, bool awaitReply) override {
            return c_.SendLiveValue(item, value, target, awaitReply);
        }
        bool SendList(std::span<const LiveItem> items) override { return c_.SendLiveList(items); }

    private:
        indMain& c_;
    };

    void OnModelEvent(cmcEvMessage& m);
    void LiveRequestEnded(bool ok) override;
    bool LinkFree();

    AdReadings readings_;
    std::array<LiveItem, 14> readBack_{};  // 13 items and the end entry
    AdjustmentState adjust_;
    Link link_{*this};
    AdjustmentProcedures procedures_;
};
