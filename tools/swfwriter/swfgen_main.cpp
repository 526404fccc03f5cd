// swfgen: writes the demo movie or one of the sample movies to a file.
//   swfgen demo -o OUT.swf [--frames N] [--width W --height H] [--fps F] [--compress]
//   swfgen sample NAME -o OUT.swf [--compress]
// Exit status 0 when written; 1 on bad usage or a failed write (message on stderr).
#include <cstdint>
#include <exception>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "DemoMovie.h"
#include "SampleMovies.h"

namespace {

using saver::swfwriter::DemoOptions;

int Usage(const std::string& problem) {
    std::cerr << "swfgen: " << problem << "\n"
              << "usage: swfgen demo -o OUT.swf [--frames N] [--width W --height H] [--fps F]"
                 " [--compress]\n"
              << "       swfgen sample NAME -o OUT.swf [--compress]\n"
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
    for (; i < args.size(); ++i) {
        const std::string& opt = args[i];
        if (opt == "--compress") {
            demo.compress = true;
            continue;
        }
        if (i + 1 >= args.size()) return Usage(opt + " needs a value");
        const std::string& value = args[++i];
        if (opt == "-o") {
            out = value;
            continue;
        }
        const std::optional<double> n = Number(value);
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
        const auto bytes = saver::swfwriter::BuildSample(sample, demo.compress);
        if (!bytes) return Usage("unknown sample '" + sample + "'");
        return Save(out, *bytes) ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "swfgen: " << e.what() << "\n";
        return 1;
    }
}
