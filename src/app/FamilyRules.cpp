#include "app/FamilyRules.h"

#include "app/ImagePreparation.h"
#include "app/ModelRules.h"
#include "app/TwoToneWindows.h"

std::int32_t FamilyRules::ModelCode() const { return model::kModelCode; }
std::int32_t FamilyRules::ExtraCode() const { return model::kExtraCode; }
std::int32_t FamilyRules::MapRevision() const { return model::kMapRevision; }

bool FamilyRules::CheckFileCodes(std::int32_t modelCode, std::int32_t extraCode, int& code) {
    return model::checkFileCodes(modelCode, extraCode, code);
}

bool FamilyRules::CheckMapRevision(std::int32_t revision) { return model::checkMapRevision(revision); }

AddressRangeList FamilyRules::AddressRanges(int rangeKind) { return modelAddressRanges(rangeKind); }

void FamilyRules::FillWorkingArea(cmcEeprom& image) { imageprep::fillWorkingAreaFromInitial(image); }

int FamilyRules::RebuildWorkingArea(cmcEeprom& image) {
    imageprep::rebuildWorkingArea(image);
    return model::detectModelKind(image);
}

void FamilyRules::NormaliseImage(cmcEeprom& image, const cmcEeprom& initial, int kind, bool forWriting) {
    imageprep::normaliseImage(image, initial, kind, forWriting);
}

bool FamilyRules::BuildParameterTable(cmcEeprom& image, bool cloneWrite) {
    return imageprep::buildParameterTable(image, cloneWrite);
}

bool FamilyRules::PrepareForRadio(cmcEeprom& copy, int kind, std::span<const std::uint8_t> identification) {
    // A block too short to hold the revision counts as revision 0.
    const std::uint8_t revision =
        identification.size() > twotone::kRevisionByte ? identification[twotone::kRevisionByte] : 0;
    return twotone::updateWindows(copy, kind, revision);
}
