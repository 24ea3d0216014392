// trelvix-mkimage: builds the eight initial data files from readable descriptions.
//
//   trelvix-mkimage MODELS_DIR OUT_DIR
//
// Every MODELS_DIR/*.txt that names a `kind` and an `output` becomes one data file in
// OUT_DIR. A description sets the working area of an empty image (the defaults of every
// record and setting, the channel banks) and the EEPROM header; the tool then packs it
// with the program's own packer and saves it with the program's own writer, so the files
// are exactly what the program would save. Statements, one per line ('#' starts a comment):
//
//   kind K                      model kind 0..7
//   output NAME                 file name of the data file
//   include FILE                statements of another description in the same folder
//   set ADDR BYTE...            bytes from ADDR on (hex bytes)
//   fill ADDR COUNT BYTE        COUNT bytes of one value
//   text ADDR LENGTH "TEXT"     radio text, padded with spaces to LENGTH
//   word ADDR VALUE             a big-endian 16-bit value
//   bits ADDR MASK VALUE        the bits of MASK at ADDR take those of VALUE
//   repeat ID                   record 0 of structure ID is copied into all its records
//   index ID                    structure ID becomes the record numbers 0, 1, 2, ...
//   bank B COUNT                bank B holds COUNT channels
// Numbers are decimal or 0x hexadecimal.

#include "app/ImagePreparation.h"
#include "app/ModelRules.h"
#include "image/RadioText.h"
#include "image/RecordAccessor.h"
#include "image/cmcEeprom.h"
#include "image/cmcIcfFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Description {
    int kind = -1;
    std::string output;
    cmcEeprom image{cmcEeprom::kImageSize};
};

[[noreturn]] void fail(const std::string& where, const std::string& what) {
    std::fprintf(stderr, "trelvix-mkimage: %s: %s\n", where.c_str(), what.c_str());
    std::exit(1);
}

long number(const std::string& token, const std::string& where) {
    try {
        std::size_t used = 0;
        const long v = std::stol(token, &used, 0);
        if (used != token.size()) fail(where, "not a number: " + token);
        return v;
    } catch (const std::exception&) {
        fail(where, "not a number: " + token);
    }
}

void setByte(Description& d, long address, long value, const std::string& where) {
    if (!d.image.IsValidIndex(static_cast<std::int32_t>(address)) || value < 0 || value > 255) {
        fail(where, "byte or address out of range");
    }
    d.image.SetByte(static_cast<std::int32_t>(address), static_cast<std::uint8_t>(value));
}

void run(Description& d, const fs::path& file);

void statement(Description& d, const fs::path& file, const std::string& line, const std::string& where) {
    std::istringstream in(line);
    std::string op;
    in >> op;
    std::vector<std::string> args;
    if (op == "text") {
        std::string addr, length;
        in >> addr >> length;
        std::string rest;
        std::getline(in, rest);
        const auto q1 = rest.find('"'), q2 = rest.rfind('"');
        if (q1 == std::string::npos || q2 == q1) fail(where, "text needs a quoted text");
        const std::string codes = displayToRadio(rest.substr(q1 + 1, q2 - q1 - 1),
                                                 static_cast<std::size_t>(number(length, where)));
        const long at = number(addr, where);
        for (std::size_t i = 0; i < codes.size(); ++i) setByte(d, at + static_cast<long>(i), static_cast<unsigned char>(codes[i]), where);
        return;
    }
    for (std::string a; in >> a;) args.push_back(a);
    auto arg = [&](std::size_t i) {
        if (i >= args.size()) fail(where, "missing argument of " + op);
        return number(args[i], where);
    };
    if (op == "kind") {
        d.kind = static_cast<int>(arg(0));
    } else if (op == "output") {
        if (args.empty()) fail(where, "output needs a file name");
        d.output = args[0];
    } else if (op == "include") {
        if (args.empty()) fail(where, "include needs a file name");
        run(d, file.parent_path() / args[0]);
    } else if (op == "set") {
        const long at = arg(0);
        for (std::size_t i = 1; i < args.size(); ++i) setByte(d, at + static_cast<long>(i) - 1, std::stol(args[i], nullptr, 16), where);
    } else if (op == "fill") {
        for (long i = 0; i < arg(1); ++i) setByte(d, arg(0) + i, arg(2), where);
    } else if (op == "word") {
        setByte(d, arg(0), (arg(1) >> 8) & 0xFF, where);
        setByte(d, arg(0) + 1, arg(1) & 0xFF, where);
    } else if (op == "bits") {
        const long at = arg(0), mask = arg(1);
        if (!d.image.IsValidIndex(static_cast<std::int32_t>(at))) fail(where, "address out of range");
        setByte(d, at, (d.image.GetByte(static_cast<std::int32_t>(at)) & ~mask & 0xFF) | (arg(2) & mask), where);
    } else if (op == "repeat" || op == "index") {
        const imageprep::Structure* s = imageprep::structure(static_cast<int>(arg(0)));
        if (!s) fail(where, "no structure " + args[0]);
        if (op == "index") {
            for (int i = 0; i < s->Length(); ++i) d.image.SetByte(s->offset + i, static_cast<std::uint8_t>(i));
        } else {
            for (int r = 1; r < s->records; ++r) {
                std::memmove(d.image.Data() + s->offset + r * s->recordSize, d.image.Data() + s->offset,
                             static_cast<std::size_t>(s->recordSize));
            }
        }
    } else if (op == "bank") {
        RecordAccessor(d.image).setBankCount(static_cast<int>(arg(0)), static_cast<int>(arg(1)));
    } else {
        fail(where, "unknown statement: " + op);
    }
}

void run(Description& d, const fs::path& file) {
    std::ifstream in(file);
    if (!in) fail(file.string(), "cannot open");
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        if (const auto hash = line.find('#'); hash != std::string::npos && line.find('"') > hash) line.erase(hash);
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        statement(d, file, line, file.filename().string() + ":" + std::to_string(n));
    }
}

// The data-file comment, made as the program's Save makes it from the two comment texts.
std::string commentOf(const cmcEeprom& image) {
    auto part = [&](std::int32_t at) {
        std::string s;
        for (int i = 0; i < 16; ++i) {
            const std::uint8_t b = image.GetByte(at + i);
            s += (b >= 0x20 && b <= 0x7E) ? static_cast<char>(b) : ' ';
        }
        return s;
    };
    std::string first = part(0x16A89);
    first.erase(first.find_last_not_of(' ') + 1);
    std::string all = first + part(0x16A99);
    all.erase(all.find_last_not_of(' ') + 1);
    return all;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: trelvix-mkimage MODELS_DIR OUT_DIR\n");
        return 64;
    }
    const fs::path models = argv[1], out = argv[2];
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(models)) {
        if (entry.path().extension() == ".txt") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    int made = 0;
    for (const fs::path& file : files) {
        Description d;
        run(d, file);
        if (d.kind < 0) continue;  // a shared part, included by the others
        if (d.kind >= model::kKinds || d.output.empty()) fail(file.string(), "needs a kind 0..7 and an output");
        if (imageprep::buildParameterTable(d.image, false)) fail(file.string(), "the image does not fit the radio");
        imageprep::normaliseImage(d.image, d.image, d.kind, true);
        if (model::detectModelKind(d.image) != d.kind) fail(file.string(), "the model bits name another kind");

        cmcIcfFile writer(d.image);
        writer.SetShowMessages(false);
        writer.SetCodes(model::kModelCode, model::kExtraCode);
        writer.SetMapRevision(model::kMapRevision);
        writer.SetComment(commentOf(d.image));
        if (const int code = writer.Write((out / d.output).string(), modelAddressRanges(2)); code != FileError::Ok) {
            fail((out / d.output).string(), "cannot be written (data-file code " + std::to_string(code) + ")");
        }
        std::printf("%s: kind %d\n", d.output.c_str(), d.kind);
        ++made;
    }
    return made > 0 ? 0 : 1;
}
