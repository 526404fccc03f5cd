// swfgen: writes the demo movie or one of the sample movies to a file.
//   swfgen demo -o OUT.swf [--frames N] [--width W --height H] [--fps F] [--compress] [--music]
//   swfgen sample NAME -o OUT.swf [--compress] [--pad-megabytes N]
// --pad-megabytes puts N MB of empty tags of an unused code before the End tag: a movie that
// stays small when compressed but takes the reader long to inflate and walk (loading tests).
// Exit status 0 when written; 1 on bad usage or a failed write (message on stderr).
#include <cstdint>
#include <exception>
#include <fstream>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <zlib.h>

#include "DemoMovie.h"
#include "SampleMovies.h"

namespace {

using saver::swfwriter::DemoOptions;

int Usage(const std::string& problem) {
    std::cerr << "swfgen: " << problem << "\n"
              << "usage: swfgen demo -o OUT.swf [--frames N] [--width W --height H] [--fps F]"
                 " [--compress] [--music]\n"
              << "       swfgen sample NAME -o OUT.swf [--compress] [--pad-megabytes N]\n"
              << "samples:";
    for (const std::string& name : saver::swfwriter::SampleNames()) std::cerr << " " << name;
    std::cerr << "\n";
    return 1;
}

std::optional<double> Number(const std::string& text) {
    try {
        std::size_t used = 0;
        const double value = std::stod(text, &used);
        if (used == text.size()) return value;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

bool Save(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (file) return true;
    std::cerr << "swfgen: cannot write " << path << "\n";
    return false;
}

// An FWS movie with `megabytes` MB of empty tags (code 1000, which no SWF version defines)
// inserted before its End tag; CWS when `compress`.
std::vector<std::uint8_t> Padded(std::vector<std::uint8_t> fws, double megabytes, bool compress) {
    const auto pairs = static_cast<std::size_t>(megabytes * 1024 * 1024 / 2);
    if (fws.size() < 10 || pairs > 120u * 1024 * 1024) throw std::runtime_error("bad padding");
    std::vector<std::uint8_t> out(fws.begin(), fws.end() - 2);  // without the End tag
    const std::size_t at = out.size();
    out.resize(at + pairs * 2 + 2, 0);                                   // the End tag stays zero
    for (std::size_t i = 0; i < pairs; ++i) out[at + 2 * i + 1] = 0xFA;  // 1000 << 6, length 0
    const auto length = static_cast<std::uint32_t>(out.size());
    for (int b = 0; b < 4; ++b) out[4 + b] = static_cast<std::uint8_t>(length >> (8 * b));
    if (!compress) return out;
    uLongf bound = compressBound(static_cast<uLong>(out.size() - 8));
    std::vector<std::uint8_t> cws(out.begin(), out.begin() + 8);
    cws[0] = 'C';
    cws.resize(8 + bound);
    // The fastest level: the padding is so regular that it still shrinks two hundredfold.
    if (compress2(cws.data() + 8, &bound, out.data() + 8, static_cast<uLong>(out.size() - 8),
                  Z_BEST_SPEED) != Z_OK)
        throw std::runtime_error("compression failed");
    cws.resize(8 + bound);
    return cws;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return Usage("no command");
    const std::string& command = args[0];
    std::size_t i = 1;
    std::string sample;
    if (command == "sample") {
        if (args.size() < 2) return Usage("sample needs a name");
        sample = args[i++];
    } else if (command != "demo") {
        return Usage("unknown command '" + command + "'");
    }
    std::string out;
    DemoOptions demo;
    double padMegabytes = 0;
    for (; i < args.size(); ++i) {
        const std::string& opt = args[i];
        if (opt == "--compress") {
            demo.compress = true;
            continue;
        }
        if (opt == "--music" && command == "demo") {
            demo.music = true;
            continue;
        }
        if (i + 1 >= args.size()) return Usage(opt + " needs a value");
        const std::string& value = args[++i];
        if (opt == "-o") {
            out = value;
            continue;
        }
        const std::optional<double> n = Number(value);
        if (opt == "--pad-megabytes" && command == "sample" && n && *n >= 0) {
            padMegabytes = *n;
            continue;
        }
        if (command != "demo" || !n) return Usage("bad option " + opt + " " + value);
        if (opt == "--frames")
            demo.frames = static_cast<int>(*n);
        else if (opt == "--width")
            demo.width = static_cast<int>(*n);
        else if (opt == "--height")
            demo.height = static_cast<int>(*n);
        else if (opt == "--fps")
            demo.frameRate = *n;
        else
            return Usage("unknown option " + opt);
    }
    if (out.empty()) return Usage("no output file (-o)");
    try {
        if (command == "demo") return Save(out, saver::swfwriter::BuildDemoMovie(demo)) ? 0 : 1;
        const bool pad = padMegabytes > 0;
        const auto bytes = saver::swfwriter::BuildSample(sample, demo.compress && !pad);
        if (!bytes) return Usage("unknown sample '" + sample + "'");
        return Save(out, pad ? Padded(*bytes, padMegabytes, demo.compress) : *bytes) ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "swfgen: " << e.what() << "\n";
        return 1;
    }
}
