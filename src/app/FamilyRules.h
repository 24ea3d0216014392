#pragma once
// The data-file and image rules of this radio family: its codes and map revision, the
// address ranges, the working-area layout and packing, model detection and normalising.

#include "app/DocumentService.h"

class FamilyRules : public DocumentRules {
public:
    std::int32_t ModelCode() const override;
    std::int32_t ExtraCode() const override;
    std::int32_t MapRevision() const override;
    bool CheckFileCodes(std::int32_t modelCode, std::int32_t extraCode, int& code) override;
    bool CheckMapRevision(std::int32_t revision) override;
    AddressRangeList AddressRanges(int rangeKind) override;
    void FillWorkingArea(cmcEeprom& image) override;
    int RebuildWorkingArea(cmcEeprom& image) override;
    void NormaliseImage(cmcEeprom& image, const cmcEeprom& initial, int kind, bool forWriting) override;
    bool BuildParameterTable(cmcEeprom& image, bool cloneWrite) override;
    // The two-tone windows for the radio's firmware revision (LMR kinds).
    bool PrepareForRadio(cmcEeprom& copy, int kind, std::span<const std::uint8_t> identification) override;
};
