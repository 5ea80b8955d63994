#include "render/morva/stream_head.h"

#include "render/morva/morva_scalars.h"

#include <charconv>
#include <cstring>

namespace {

// The driver's own version, as the device sees it.
constexpr char kDriverVersionText[] = "2801.1";

char* Append(char* p, const char* text)
{
    const size_t n = std::strlen(text);
    std::memcpy(p, text, n);
    return p + n;
}

// Numbers in the head are never locale-formatted.
char* AppendNumber(char* p, uint32_t value, int base)
{
    return std::to_chars(p, p + 10, value, base).ptr;
}

}  // namespace

uint32_t ClampStreamVersion(uint32_t version)
{
    if (version < kLowestStreamVersion)
        return kLowestStreamVersion;
    if (version > kHighestStreamVersion)
        return kHighestStreamVersion;
    return version;
}

int FormatStreamVersionLine(uint32_t version, char* out)
{
    const uint32_t v = ClampStreamVersion(version);
    char* p = Append(out, "%ZQRQD-");
    p = AppendNumber(p, (v >> 16) & 0xFF, 10);
    *p++ = '.';
    p = AppendNumber(p, (v >> 8) & 0xFF, 10);
    *p++ = '.';
    p = AppendNumber(p, v & 0xFF, 10);
    p = Append(p, "%\n");
    return static_cast<int>(p - out);
}

int FormatSystemLine(uint32_t osMajor, uint32_t osMinor, char* out)
{
    char* p = Append(out, "%WINNT-");
    p = AppendNumber(p, osMajor, 16);
    *p++ = '.';
    p = AppendNumber(p, osMinor, 16);
    p = Append(p, ",RQDDRV-");
    p = Append(p, kDriverVersionText);
    p = Append(p, "%\n");
    return static_cast<int>(p - out);
}

int WriteStreamHead(OutputStream* stream, uint32_t version)
{
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    uint32_t major = 5;
    uint32_t minor = 0;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (GetVersionExW(&info)) {
        major = info.dwMajorVersion;
        minor = info.dwMinorVersion;
    }
#pragma GCC diagnostic pop
    char line[64];
    const int versionLength = FormatStreamVersionLine(version, line);
    if (PutRaw(stream, line, static_cast<uint32_t>(versionLength)))
        return -1;
    const int systemLength = FormatSystemLine(major, minor, line);
    return PutRaw(stream, line, static_cast<uint32_t>(systemLength));
}
