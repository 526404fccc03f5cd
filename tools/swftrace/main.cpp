// swftrace: plays a movie headless and prints its trace() output.
//
//   swftrace MOVIE.swf [--frames N]
//
// --frames N (default 1): run until the Nth frame has been shown (frame 1 is shown at load).
// Exit status: 0 played, 1 the movie could not be read, 2 bad usage.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "swftrace/TraceRun.h"

int main(int argc, char** argv) {
    std::string movie;
    int frames = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--frames" && i + 1 < argc) {
            char* end = nullptr;
            const long n = std::strtol(argv[++i], &end, 10);
            if (*end || n < 1 || n > 1000000) movie.clear(), argc = 0;
            frames = static_cast<int>(n);
        } else if (movie.empty() && !arg.empty() && arg[0] != '-') {
            movie = arg;
        } else {
            movie.clear();
            break;
        }
    }
    if (movie.empty()) {
        std::fputs("usage: swftrace MOVIE.swf [--frames N]\n", stderr);
        return 2;
    }
    std::string output, error;
    if (!saver::swftrace::RunTrace(movie, frames, output, error)) {
        std::fprintf(stderr, "swftrace: %s\n", error.c_str());
        return 1;
    }
    std::fwrite(output.data(), 1, output.size(), stdout);
    return 0;
}
