#include "common/settings/color_matrix.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

bool TagIs(const unsigned char* header, int offset, const char* tag)
{
    return std::memcmp(header + offset, tag, 4) == 0;
}

bool StartsWithPipePrefix(const char* path)
{
    static const char kPrefix[] = "\\\\.\\pipe\\";
    for (int i = 0; kPrefix[i] != '\0'; ++i) {
        char c = path[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != kPrefix[i])
            return false;
    }
    return true;
}

}  // namespace

int CheckIccProfileFile(const char* path)
{
    // A pipe name would block the caller on a read that may never end.
    if (path == nullptr || path[0] == '\0' || StartsWithPipePrefix(path))
        return -1;
    // The file is closed on every way out.
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file)
        return -2;
    unsigned char header[132];
    if (std::fread(header, 1, sizeof header, file.get()) != sizeof header)
        return -3;

    int answer;
    if (TagIs(header, 36, "acsp"))
        answer = 1;
    else if (TagIs(header, 36, "nicc"))
        answer = 2;
    else
        return -5;
    if (!TagIs(header, 16, "RGB "))
        return -6;
    if (!TagIs(header, 20, "XYZ ") && !TagIs(header, 20, "Lab "))
        return -7;
    if (!TagIs(header, 12, "mntr") && !TagIs(header, 12, "scnr"))
        return -6;
    return answer;
}
