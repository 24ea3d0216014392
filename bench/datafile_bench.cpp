// Data files and image packing at the sizes the program meets: a whole EEPROM part
// (0x0000..0xFF7F) saved and read back through a real file must take well under 20 ms;
// unpacking a radio's image and packing it again well under 5 ms.

#include "app/ImagePreparation.h"
#include "app/ModelRules.h"
#include "image/RecordAccessor.h"
#include "image/cmcIcfFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>

namespace {

cmcEeprom busyImage() {
    cmcEeprom image(cmcEeprom::kImageSize);
    std::mt19937 rng(1);
    for (std::int32_t i = 0; i < image.Size(); ++i) image.SetByte(i, static_cast<std::uint8_t>(rng()));
    RecordAccessor acc(image);
    for (int b = 0; b < 128; ++b) acc.setBankCount(b, b < 100 ? 4 : (b == 127 ? 40 : 0));  // 440 channels
    for (int l = 0; l < 128; ++l) acc.setRepeaterCount(l, 20);
    image.SetByte(0x1694C, 0);
    imageprep::buildParameterTable(image, false);
    return image;
}

void WriteAndReadBackFullImage(benchmark::State& state) {
    cmcEeprom image = busyImage();
    cmcEeprom back(cmcEeprom::kImageSize);
    const std::string path = (std::filesystem::temp_directory_path() / "trelvix-bench.tdf").string();
    const AddressRangeList save = modelAddressRanges(static_cast<int>(RangeKind::Save));
    const AddressRangeList load = modelAddressRanges(static_cast<int>(RangeKind::InitialLoad));
    for (auto _ : state) {
        cmcIcfFile writer(image);
        writer.SetShowMessages(false);
        writer.SetCodes(model::kModelCode, model::kExtraCode);
        writer.SetMapRevision(model::kMapRevision);
        if (writer.Write(path, save) != FileError::Ok) state.SkipWithError("write failed");
        cmcIcfFile reader(back);
        reader.SetShowMessages(false);
        reader.SetHeaderCheck(model::checkFileCodes);
        reader.SetMapRevisionCheck(model::checkMapRevision);
        if (reader.Read(path, load) != FileError::Ok) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(back.Data());
    }
    std::remove(path.c_str());
    state.SetBytesProcessed(state.iterations() * cmcEeprom::kEepromSize);
}
BENCHMARK(WriteAndReadBackFullImage)->Unit(benchmark::kMillisecond);

void UnpackPlusPack(benchmark::State& state) {
    const cmcEeprom packed = busyImage();
    cmcEeprom image = packed;
    for (auto _ : state) {
        image.Assign(packed);
        imageprep::rebuildWorkingArea(image);  // the last bank is restored and packed again here
        benchmark::DoNotOptimize(imageprep::buildParameterTable(image, false));
    }
}
BENCHMARK(UnpackPlusPack)->Unit(benchmark::kMillisecond);

}  // namespace
