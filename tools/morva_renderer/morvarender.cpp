// morvarender JOB OUTDIR [--dpi N] [--reduce N]: draws each sheet face of a
// MORVA job file into OUTDIR/sheet-N.png (N from 1), as the printer would
// place the pages on their sheets. The sheets are drawn at --dpi (600) and
// saved reduced by --reduce (4: 150 pixels per inch), each saved pixel the mean
// of the drawn ones.
#include "tools/morva_renderer/sheet_renderer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool ReadFile(const char* path, std::vector<uint8_t>* bytes)
{
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return false;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes->insert(bytes->end(), buffer, buffer + n);
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

int Usage()
{
    std::fprintf(stderr, "usage: morvarender JOB OUTDIR [--dpi N] [--reduce N]\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    SheetRenderOptions options;
    int reduce = 4;
    for (int i = 3; i < argc; ++i) {
        if (i + 1 < argc && std::strcmp(argv[i], "--dpi") == 0)
            options.dpi = std::atoi(argv[++i]);
        else if (i + 1 < argc && std::strcmp(argv[i], "--reduce") == 0)
            reduce = std::atoi(argv[++i]);
        else
            return Usage();
    }
    if (options.dpi < 1 || options.dpi > 2400 || reduce < 1 || reduce > 64)
        return Usage();
    std::vector<uint8_t> job;
    if (!ReadFile(argv[1], &job)) {
        std::fprintf(stderr, "morvarender: cannot read %s\n", argv[1]);
        return 2;
    }
    SheetRenderResult result;
    const bool rendered = RenderMorvaJob(job.data(), job.size(), options, &result);
    int code = rendered ? 0 : 3;
    for (size_t i = 0; i < result.sheets.size(); ++i) {
        const RenderedSheet& sheet = result.sheets[i];
        const std::string path = std::string(argv[2]) + "/sheet-" + std::to_string(i + 1) + ".png";
        const SheetImage picture = ReduceImage(sheet.image, reduce);
        if (!WritePngFile(path, picture)) {
            std::fprintf(stderr, "morvarender: cannot write %s\n", path.c_str());
            code = 4;
            continue;
        }
        std::printf("%s: %.1f x %.1f mm, %d x %d pixels\n", path.c_str(), sheet.widthMm, sheet.heightMm, picture.width,
                    picture.height);
    }
    for (const std::string& note : result.notes)
        std::fprintf(stderr, "morvarender: %s\n", note.c_str());
    if (!rendered)
        std::fprintf(stderr, "morvarender: %s\n", result.error.c_str());
    return code;
}
