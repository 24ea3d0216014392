// trelvix-radiosim: a virtual radio on a pseudo-terminal.
//
//   trelvix-radiosim [--image FILE] [--save FILE] [--link PATH] [--mobile] [--pace]
//                    [--fault NAME] [--codes MMMMXXXX] [--level N] [--end HHHH]
//                    [--serial TEXT] [--revision N.N] [--detector SHAPE] [--trace FILE]
//
// The first line printed is the device path to open. The radio runs until terminated.
#include "ImageFiles.h"
#include "PtyLine.h"
#include "VirtualRadio.h"
#include "platform/posix/PollLoop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kUsageError = 64;

struct Options {
    std::string image, save, link, trace;
    bool pace = false;
    radiosim::RadioConfig radio;
    bool codesGiven = false;
};

int signalPipe[2] = {-1, -1};
void onSignal(int) {
    const char c = 0;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}

void usage(std::ostream& out) {
    out << "usage: trelvix-radiosim [--image FILE] [--save FILE] [--link PATH] [--mobile] [--pace]\n"
           "                        [--fault NAME] [--codes MMMMXXXX] [--level N] [--end HHHH]\n"
           "                        [--serial TEXT] [--revision N.N] [--detector SHAPE] [--trace FILE]\n"
           "  --image FILE   serve the memory of this data file (default: a test pattern)\n"
           "  --save FILE    save what a clone write delivered to this data file\n"
           "  --link PATH    also make PATH a symbolic link to the device\n"
           "  --mobile       a mobile radio (default: handheld)\n"
           "  --pace         carry 10 bits a byte at the radio's line rate, both ways\n"
           "  --fault NAME   one of: "
        << radiosim::faultNames()
        << "\n"
           "  --codes        model and extra code as 8 hex digits (default: the file's, or 28970000)\n"
           "  --level N      radio level in the model information (default 2)\n"
           "  --end HHHH     last EEPROM address a read delivers (default FF7F)\n"
           "  --serial TEXT  12 hexadecimal characters of the serial number\n"
           "  --revision N.N firmware revision\n"
           "  --detector SHAPE  what the detector reads (item 03, parameter 3) against the value of\n"
           "                 the latest item that sets one (not 00, 01, 03 or 40; 41 counts), decimal:\n"
           "                 flat:N          always N (0..255)\n"
           "                 linear:A-B      A at value 0 to B at 255 (A + (B - A) * value / 255)\n"
           "                 peak:LO-HI      200 from LO to HI, 4 less per step outside, not below 0\n"
           "                 (default: a fixed reading for each parameter)\n"
           "  --trace FILE   write one line per frame heard from the program to FILE, at once:\n"
           "                 \"E8 II VV\" for an item frame (\"??\" for a value that is not hex),\n"
           "                 else the command byte (\"E0\"); the file is emptied at start-up\n"
           "The first line printed is the device path; the radio runs until terminated.\n";
}

bool isHex(const std::string& s) {
    return s.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos && !s.empty();
}

// Returns an error text, or empty when the arguments are good.
std::string parse(int argc, char** argv, Options& o) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) return {};
            return args[++i];
        };
        if (a == "--mobile") {
            o.radio.mobile = true;
        } else if (a == "--pace") {
            o.pace = true;
        } else if (a == "--image" || a == "--save" || a == "--link" || a == "--trace") {
            std::string v = value();
            if (v.empty()) return a + " needs a path";
            (a == "--image" ? o.image : a == "--save" ? o.save : a == "--link" ? o.link : o.trace) = v;
        } else if (a == "--detector") {
            const auto shape = radiosim::detectorFromText(value());
            if (!shape) return "--detector takes flat:N, linear:A-B or peak:LO-HI (decimal 0..255, LO <= HI)";
            o.radio.detector = *shape;
        } else if (a == "--fault") {
            const auto f = radiosim::faultFromName(value());
            if (!f) return "--fault takes one of: " + radiosim::faultNames();
            o.radio.fault = *f;
        } else if (a == "--codes") {
            const std::string v = value();
            if (v.size() != 8 || !isHex(v)) return "--codes takes 8 hexadecimal digits";
            const unsigned long codes = std::stoul(v, nullptr, 16);
            o.radio.modelCode = static_cast<std::uint16_t>(codes >> 16);
            o.radio.extraCode = static_cast<std::uint16_t>(codes);
            o.codesGiven = true;
        } else if (a == "--level") {
            const std::string v = value();
            if (v.empty() || v.size() > 3 || v.find_first_not_of("0123456789") != std::string::npos ||
                std::stoi(v) > 250) {
                return "--level takes a number 0..250";
            }
            o.radio.level = static_cast<std::uint8_t>(std::stoi(v));
        } else if (a == "--end") {
            const std::string v = value();
            if (v.size() != 4 || !isHex(v) || std::stoul(v, nullptr, 16) > 0xFF7F) {
                return "--end takes 4 hexadecimal digits up to FF7F";
            }
            o.radio.endAddress = static_cast<std::int32_t>(std::stoul(v, nullptr, 16));
        } else if (a == "--serial") {
            const std::string v = value();
            if (v.size() != 12 || !isHex(v)) return "--serial takes 12 hexadecimal characters";
            o.radio.serial = v;
        } else if (a == "--revision") {
            const std::string v = value();
            if (v.size() != 3 || v[1] != '.' || v[0] < '0' || v[0] > '9' || v[2] < '0' || v[2] > '9') {
                return "--revision takes N.N";
            }
            o.radio.revision = static_cast<std::uint8_t>((v[0] - '0') << 4 | (v[2] - '0'));
        } else if (a == "--help" || a == "-h") {
            usage(std::cout);
            std::exit(0);
        } else {
            return "unknown argument " + a;
        }
    }
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (const std::string error = parse(argc, argv, o); !error.empty()) {
        std::cerr << "trelvix-radiosim: " << error << "\n";
        usage(std::cerr);
        return kUsageError;
    }
    // Signals are caught from here on, so a stop that follows the first line always cleans up.
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return 1;
    struct sigaction sa{};
    sa.sa_handler = onSignal;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    cmcEeprom image = radiosim::patternImage();
    if (!o.image.empty()) {
        std::uint16_t model = 0, extra = 0;
        std::string error;
        if (!radiosim::loadImage(o.image, image, model, extra, error)) {
            std::cerr << "trelvix-radiosim: " << error << "\n";
            return 1;
        }
        if (!o.codesGiven) {
            o.radio.modelCode = model;
            o.radio.extraCode = extra;
        }
    }

    platform::PollLoop loop;
    platform::ScopedScheduler useLoop(loop);
    radiosim::VirtualRadio radio(o.radio, image);
    const auto codes = std::make_pair(o.radio.modelCode, o.radio.extraCode);
    radio.onWritten = [&o, codes](const cmcEeprom& written) {
        if (o.save.empty()) return;
        std::string error;
        if (!radiosim::saveImage(o.save, written, codes.first, codes.second, error)) {
            std::cerr << "trelvix-radiosim: " << error << "\n";
        }
    };
    // The trace exists (empty) before the device path is printed, so a test that reads it
    // while the radio runs never meets a missing file.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> trace(nullptr, &std::fclose);
    if (!o.trace.empty()) {
        trace.reset(std::fopen(o.trace.c_str(), "w"));
        if (!trace) {
            std::cerr << "trelvix-radiosim: cannot write the trace " << o.trace << ": " << std::strerror(errno) << "\n";
            return 1;
        }
        radio.onFrame = [file = trace.get()](const std::vector<std::uint8_t>& frame) {
            std::fprintf(file, "%s\n", radiosim::traceLine(frame).c_str());
            std::fflush(file);
        };
    }
    radiosim::PtyLine line(loop, radio, o.pace);
    std::string error;
    const std::string device = line.open(error);
    if (device.empty()) {
        std::cerr << "trelvix-radiosim: " << error << "\n";
        return 1;
    }
    if (!o.link.empty()) {
        struct stat st{};
        if (::lstat(o.link.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) ::unlink(o.link.c_str());
        if (::symlink(device.c_str(), o.link.c_str()) != 0) {
            std::cerr << "trelvix-radiosim: cannot make the link " << o.link << ": " << std::strerror(errno) << "\n";
            return 1;
        }
    }
    std::cout << device << std::endl;

    loop.watch(signalPipe[0], POLLIN, [&loop](short) { loop.quit(); });
    loop.run();

    if (!o.link.empty()) ::unlink(o.link.c_str());
    return 0;
}
