#pragma once
// The controller of this radio family: a cuiMain that knows the eight model kinds, the
// model code, the image layout and the pruning of the sheet tree by model. The facts of
// the family live in ModelRules and ImagePreparation, shared with the command-line tools.

#include "app/cuiMain.h"

class indMain : public cuiMain {
public:
    indMain(indEnviron& settings, cmcEvMan& events);
    ~indMain() override;

    void ResetModelParameters() override;                                                       // 1
    void BuildTree() override;                                                                  // 3
    int CheckMakerIdentity(const std::uint8_t* data, std::size_t size, bool withIdentityText) override;  // 4
    int CheckNewerData(const std::uint8_t* data, std::size_t size) override;                    // 5
    void AfterImageLoaded(cmcEeprom& image) override;                                          // 6
    void NormaliseImage(cmcEeprom& image, bool forWriting) override;                            // 7
    void RunWarningCheck(int& errors, int& warnings) override;                                  // 9
    bool CheckFileCodes(std::int32_t modelCode, std::int32_t extraCode, int& error) override;   // 14
    AddressRangeList AddressRanges(int rangeKind) override;                                     // 15

    void FillWorkingArea(cmcEeprom& image) override;
    bool BuildParameterTable(cmcEeprom& image, bool cloneWrite) override;

    int ModelKind() const override { return Settings().modelType; }
    void ChangeModel(int kind, bool ask) override;

    // Deletes the tree nodes the current model kind does not have (message 25).
    void PruneTree();
    // Bank icons of the tree from the banks' flags and channel counts (message 35).
    void RefreshBankIcons();

private:
    void OnModelEvent(cmcEvMessage& m);
};
