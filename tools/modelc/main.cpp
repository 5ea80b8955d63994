// modelc SOURCE OUTDIR MAINFILE: compiles a model source into OUTDIR.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tools/modelc/modelc.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: modelc SOURCE.mds OUTDIR MAINFILE.DDD\n");
        return 2;
    }
    ModelSource model;
    model.path = argv[1];
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        fprintf(stderr, "%s: cannot open\n", argv[1]);
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    try {
        ParseModelSource(text.str(), &model);
        WriteModelOutputs(model, argv[2], argv[3]);
    } catch (const SourceError& e) {
        fprintf(stderr, "%s:%d: error: %s\n", argv[1], e.line, e.what());
        return 1;
    }
    return 0;
}
