// morvalist: prints the listing of a MORVA job file, one command a line.
// Usage: morvalist [--commands-only] <file>
// Exits 1 when the file cannot be read whole. A "Cq" with a mask
// and no image data is read with a colour section only when that section is
// well formed and a whole command follows.
#include "tools/morva_reader/morva_reader.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    MorvaReadOptions options;
    bool commandsOnly = false;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--commands-only") == 0)
            commandsOnly = true;
        else
            path = argv[i];
    }
    if (path == nullptr) {
        std::fprintf(stderr, "usage: morvalist [--commands-only] <file>\n"
                             "  a \"Cq\" with a mask and no image data has a colour section only when it is\n"
                             "  well formed and a whole command follows; other mask bytes are read as mask\n");
        return 2;
    }
    FILE* f = std::fopen(path, "rb");
    if (f == nullptr) {
        std::fprintf(stderr, "morvalist: cannot open %s\n", path);
        return 2;
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof(chunk), f)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
    MorvaListing listing;
    const bool ok = commandsOnly ? ReadMorvaCommands(bytes.data(), bytes.size(), options, &listing)
                                 : ReadMorvaJob(bytes.data(), bytes.size(), options, &listing);
    // Written by length: the listing is escaped, but it must never stop short
    // of the error line at the end.
    const std::string text = FormatMorvaListing(listing);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return ok ? 0 : 1;
}
