#pragma once
// The controller of this radio family: a cuiMain that knows the eight model kinds and the
// pruning of the sheet tree by model. The facts of the family live in ModelRules and
// ImagePreparation, and its data-file rules in FamilyRules, shared with the command-line
// tools.

#include "app/cuiMain.h"

class indMain : public cuiMain {
public:
    indMain(indEnviron& settings, cmcEvMan& events);
    ~indMain() override;

    void BuildTree() override;                                                                  // 3
    int CheckMakerIdentity(const std::uint8_t* data, std::size_t size, bool withIdentityText) override;  // 4
    int CheckNewerData(const std::uint8_t* data, std::size_t size) override;                    // 5
    void AfterImageLoaded(cmcEeprom& image, int modelKind) override;                            // 6
    void RunWarningCheck(int& errors, int& warnings) override;                                  // 9

    int ModelKind() const override { return Settings().modelType; }
    void ChangeModel(int kind, bool ask) override;

    // Deletes the tree nodes the current model kind does not have (message 25).
    void PruneTree();
    // Bank icons of the tree from the banks' flags and channel counts (message 35).
    void RefreshBankIcons();

private:
    void OnModelEvent(cmcEvMessage& m);
};
