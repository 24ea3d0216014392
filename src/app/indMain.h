#pragma once
// The controller of this radio family: a cuiMain that knows the eight model kinds and the
// pruning of the sheet tree by model. The facts of the family live in ModelRules and
// ImagePreparation, and its data-file rules in FamilyRules, shared with the command-line
// tools.

#include "app/cuiMain.h"

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
    std::span<const std::uint8_t> MeasuredValues() const override { return measured_; }
    void ChangeModel(int kind, bool ask) override;

    // Deletes the tree nodes the current model kind does not have (message 25).
    void PruneTree();
    // Bank icons of the tree from the banks' flags and channel counts (message 35).
    void RefreshBankIcons();

private:
    void OnModelEvent(cmcEvMessage& m);

    std::array<std::uint8_t, 13> measured_{};
    std::array<LiveItem, 14> readBack_{};  // 13 items and the end entry
};
