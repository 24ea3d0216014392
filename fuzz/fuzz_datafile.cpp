// Fuzz target for the data-file reader: whatever the file holds, the read ends with code 0,
// or with a non-zero code and the image exactly as it was. A successful read with the
// initial-file ranges must also survive being written out and read back unchanged.

#include "app/ModelRules.h"
#include "image/cmcIcfFile.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

const cmcEeprom& pattern() {
    static const cmcEeprom image = [] {
        cmcEeprom e(cmcEeprom::kImageSize);
        for (std::int32_t i = 0; i < e.Size(); ++i) e.SetByte(i, static_cast<std::uint8_t>(i * 7 + (i >> 8)));
        return e;
    }();
    return image;
}

void configure(cmcIcfFile& file) {
    file.SetShowMessages(false);
    file.SetCodes(model::kModelCode, model::kExtraCode);
    file.SetHeaderCheck(model::checkFileCodes);
    file.SetMapRevisionCheck(model::checkMapRevision);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks the ranges: none, the whole EEPROM, or the clone-write ranges.
    const int choice = data[0] % 3;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const AddressRangeList ranges = choice == 2 ? modelAddressRanges(0) : modelAddressRanges(3);
    const std::span<const AddressRange> span(ranges);

    static cmcEeprom image;
    image.Assign(pattern());
    cmcIcfFile file(image);
    configure(file);
    const int code = file.ReadText(text, choice == 0 ? nullptr : &span);
    if (code < 0 || code > 9) std::abort();
    if (code != FileError::Ok) {
        if (!(image == pattern())) std::abort();  // a failed read must change nothing
        return 0;
    }
    if (choice == 0) return 0;
    if (file.LoadedBits() != file.RequiredBits()) std::abort();

    // What was read writes out as a file that reads back to the same bytes.
    cmcIcfFile writer(image);
    configure(writer);
    writer.SetMapRevision(model::kMapRevision);
    static cmcEeprom back;
    back.Assign(pattern());
    cmcIcfFile reader(back);
    configure(reader);
    if (reader.ReadText(writer.FormatText(ranges), &span) != FileError::Ok) std::abort();
    if (std::memcmp(back.Data(), image.Data(), cmcEeprom::kEepromSize) != 0) std::abort();
    return 0;
}
