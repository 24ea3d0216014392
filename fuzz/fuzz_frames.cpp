// Arbitrary bytes from the radio: frame assembly, the data-frame check, the identify and
// acknowledgement waits. Every input must end the operation with a status, exactly once,
// without a crash or an unbounded buffer.
#include "comm/cmcCloneDrv.h"
#include "platform/doubles/MemorySerial.h"
#include "platform/doubles/VirtualScheduler.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // First byte: which operation, and whether the image is smaller than the addresses.
    const int op = data[0] % 3;
    const std::int32_t imageSize = (data[0] & 0x80) ? 0x1000 : cmcEeprom::kImageSize;
    const std::vector<std::uint8_t> reply(data + 1, data + size);

    platform::ScopedVirtualTime time;
    platform::ScopedMemorySerial serial;
    platform::MemoryLine& line = serial.ports.line("memory:COM1");
    bool answered = false;
    line.onWrite = [&](platform::MemoryLine& l, const std::vector<std::uint8_t>& block) {
        if (answered || block.size() < 5) return;
        answered = true;
        l.deliver(reply);
    };

    cmcCloneDrv driver;
    driver.setCodes(0x2897, 0);
    driver.setImageSize(imageSize);
    driver.setPort(1);
    driver.setScript({}, "38400,N,8,1");
    const AddressRange ranges[] = {{0x0000, 0x00FF}, {0x0800, 0x0FFF}, {1, 0}};
    cmcEeprom image(imageSize);
    int calls = 0;
    auto done = [&](dst_CDrv_Result& r) {
        ++calls;
        if (r.receivedBits.length() > (imageSize + 7) / 8) std::abort();
        if (r.modelInfo.length() > cmcCloneDrv::kWaitFrameLimit) std::abort();
    };
    switch (op) {
        case 0: driver.identify(done); break;
        case 1: driver.read(ranges, done); break;
        default: driver.write(image, ranges, done); break;
    }
    time.clock.advanceUntil([&] { return calls > 0; }, 200'000);
    if (calls != 1 || driver.busy()) std::abort();
    time.clock.advance(50);
    if (calls != 1) std::abort();
    return 0;
}
