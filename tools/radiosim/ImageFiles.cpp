#include "ImageFiles.h"

#include "image/cmcIcfFile.h"

namespace radiosim {

namespace {
const AddressRange kEeprom[] = {{0x0000, cmcEeprom::kEepromSize - 1}, {1, 0}};
}

bool loadImage(const std::string& path, cmcEeprom& image, std::uint16_t& modelCode, std::uint16_t& extraCode,
               std::string& error) {
    cmcEeprom loaded(cmcEeprom::kEepromSize);
    cmcIcfFile file(loaded);
    file.SetShowMessages(false);
    // A radio holds whatever it was given: any codes, any map revision.
    std::int32_t fileModel = 0, fileExtra = 0;
    file.SetHeaderCheck([&](std::int32_t model, std::int32_t extra, int&) {
        fileModel = model;
        fileExtra = extra;
        return true;
    });
    file.SetMapRevisionCheck([](std::int32_t) { return true; });
    const int code = file.Read(path, kEeprom);
    if (code != FileError::Ok) {
        error = path + ": " + cmcIcfFile::MessageText(code);
        return false;
    }
    image = loaded;
    modelCode = static_cast<std::uint16_t>(fileModel);
    extraCode = static_cast<std::uint16_t>(fileExtra);
    return true;
}

bool saveImage(const std::string& path, const cmcEeprom& image, std::uint16_t modelCode, std::uint16_t extraCode,
               std::string& error) {
    cmcEeprom copy = image;
    cmcIcfFile file(copy);
    file.SetShowMessages(false);
    file.SetCodes(modelCode, extraCode);
    file.SetMapRevision(5);
    file.SetComment("received by trelvix-radiosim");
    const int code = file.Write(path, kEeprom);
    if (code != FileError::Ok) {
        error = path + ": " + cmcIcfFile::MessageText(code);
        return false;
    }
    return true;
}

cmcEeprom patternImage() {
    cmcEeprom image(cmcEeprom::kEepromSize);
    std::uint32_t x = 0x2897;
    for (std::int32_t a = 0; a < image.Size(); ++a) {
        x = x * 1103515245u + 12345u;
        image.SetByte(a, static_cast<std::uint8_t>(x >> 16));
    }
    return image;
}

}  // namespace radiosim
