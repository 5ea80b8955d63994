// A stand-in for the printer maker's device-access library. It keeps nothing
// in its image (the driver unloads it after every call): each call reads the
// script file that DEVICE_STANDIN_SCRIPT names and appends one line with its
// arguments to the file DEVICE_STANDIN_LOG names.
//
// Script lines (whitespace-separated; "-" is an empty text):
//   open HANDLE                      handle OpenDevice answers (0 fails)
//   set NAME STATUS                  status of SetAttribute for NAME (else 0)
//   select STATUS                    status of SelectDevice (else 0)
//   bool|int|uint NAME INDEX VALUE [STATUS]
//   string NAME INDEX TEXT [STATUS]  "_" in TEXT stands for a space
//   fill NAME INDEX                  260 bytes of 'x' and no terminator
//   trays COUNT [STATUS]
//   tray INDEX FIRST SECOND TYPE SECONDTYPE [STATUS]
// An attribute the script does not name answers status 5.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Env(const char* name)
{
    char buffer[MAX_PATH] = {};
    GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return buffer;
}

void Log(const char* format, ...)
{
    const std::string path = Env("DEVICE_STANDIN_LOG");
    if (path.empty())
        return;
    FILE* f = std::fopen(path.c_str(), "a");
    if (!f)
        return;
    va_list args;
    va_start(args, format);
    std::vfprintf(f, format, args);
    va_end(args);
    std::fputc('\n', f);
    std::fclose(f);
}

std::vector<std::vector<std::string>> Script()
{
    std::vector<std::vector<std::string>> lines;
    FILE* f = std::fopen(Env("DEVICE_STANDIN_SCRIPT").c_str(), "r");
    if (!f)
        return lines;
    char line[1024];
    while (std::fgets(line, sizeof line, f)) {
        std::vector<std::string> words;
        for (char* w = std::strtok(line, " \t\r\n"); w; w = std::strtok(nullptr, " \t\r\n"))
            words.emplace_back(w);
        if (!words.empty())
            lines.push_back(words);
    }
    std::fclose(f);
    return lines;
}

const std::vector<std::string>* Find(const std::vector<std::vector<std::string>>& s, const char* head,
                                     const char* name = nullptr, int index = -1)
{
    for (const auto& l : s) {
        if (l[0] != head)
            continue;
        if (name && (l.size() < 2 || l[1] != name))
            continue;
        if (index >= 0 && (l.size() < 3 || std::atoi(l[2].c_str()) != index))
            continue;
        return &l;
    }
    return nullptr;
}

int StatusAt(const std::vector<std::string>& l, size_t at)
{
    return l.size() > at ? std::atoi(l[at].c_str()) : 0;
}

std::string Text(const std::string& word)
{
    if (word == "-")
        return {};
    std::string t = word;
    for (char& c : t)
        if (c == '_')
            c = ' ';
    return t;
}

template <typename T>
int GetNumber(const char* kind, uintptr_t h, const char* name, uint16_t index, T* out)
{
    Log("GetValue%s %llu %s %u", kind[0] == 'b' ? "Boolean" : kind[0] == 'i' ? "Integer" : "UInteger",
        static_cast<unsigned long long>(h), name, index);
    const auto s = Script();
    const auto* l = Find(s, kind, name, index);
    if (!l || l->size() < 4)
        return 5;
    *out = static_cast<T>(std::strtoll((*l)[3].c_str(), nullptr, 0));
    return StatusAt(*l, 4);
}

}  // namespace

extern "C" {

__declspec(dllexport) uintptr_t WINAPI ZQZADC_OpenDevice(const char* first, const char* second, uintptr_t zero)
{
    Log("OpenDevice %s %s %llu", first, second, static_cast<unsigned long long>(zero));
    const auto s = Script();
    const auto* l = Find(s, "open");
    return l && l->size() > 1 ? std::strtoull((*l)[1].c_str(), nullptr, 0) : 0;
}

__declspec(dllexport) int WINAPI ZQZADC_SetAttribute(uintptr_t h, const char* name, const void* value)
{
    std::string shown;
    if (!std::strcmp(name, "_ZQZADC_LangId") || !std::strcmp(name, "_ZQZADC_Mode"))
        shown = std::to_string(*static_cast<const uint16_t*>(value));
    else if (!std::strcmp(name, "_ZQZADC_SNMPVersion"))
        shown = std::to_string(*static_cast<const uint32_t*>(value));
    else
        shown = static_cast<const char*>(value);
    Log("SetAttribute %llu %s %s", static_cast<unsigned long long>(h), name, shown.c_str());
    const auto s = Script();
    const auto* l = Find(s, "set", name);
    return l ? StatusAt(*l, 2) : 0;
}

__declspec(dllexport) int WINAPI ZQZADC_SelectDevice(uintptr_t h, HWND window, const char* port, const char* model,
                                                     const char* text)
{
    Log("SelectDevice %llu %s %s %s %s", static_cast<unsigned long long>(h), window ? "window" : "none", port, model,
        text);
    const auto s = Script();
    const auto* l = Find(s, "select");
    return l ? StatusAt(*l, 1) : 0;
}

__declspec(dllexport) int WINAPI ZQZADC_GetValueBoolean(uintptr_t h, const char* name, uint16_t index, uint32_t* out)
{
    return GetNumber("bool", h, name, index, out);
}

__declspec(dllexport) int WINAPI ZQZADC_GetValueInteger(uintptr_t h, const char* name, uint16_t index, int32_t* out)
{
    return GetNumber("int", h, name, index, out);
}

__declspec(dllexport) int WINAPI ZQZADC_GetValueUInteger(uintptr_t h, const char* name, uint16_t index, uint32_t* out)
{
    return GetNumber("uint", h, name, index, out);
}

__declspec(dllexport) int WINAPI ZQZADC_GetValueString(uintptr_t h, const char* name, uint16_t index, char* out)
{
    Log("GetValueString %llu %s %u", static_cast<unsigned long long>(h), name, index);
    const auto s = Script();
    if (Find(s, "fill", name, index)) {
        std::memset(out, 'x', 260);
        return 0;
    }
    const auto* l = Find(s, "string", name, index);
    if (!l || l->size() < 4)
        return 5;
    const std::string t = Text((*l)[3]);
    std::strncpy(out, t.c_str(), 259);
    out[259] = 0;
    return StatusAt(*l, 4);
}

__declspec(dllexport) int WINAPI ZQZADC_GetNumberOfInputTrayInfo(uintptr_t h, uint32_t* count)
{
    Log("GetNumberOfInputTrayInfo %llu", static_cast<unsigned long long>(h));
    const auto s = Script();
    const auto* l = Find(s, "trays");
    if (!l || l->size() < 2)
        return 5;
    *count = static_cast<uint32_t>(std::strtoul((*l)[1].c_str(), nullptr, 0));
    return StatusAt(*l, 2);
}

__declspec(dllexport) int WINAPI ZQZADC_GetInputTrayInfo(uintptr_t h, uint16_t index, uint8_t* record)
{
    Log("GetInputTrayInfo %llu %u", static_cast<unsigned long long>(h), index);
    const auto s = Script();
    for (const auto& l : s) {
        if (l[0] != "tray" || l.size() < 6 || std::atoi(l[1].c_str()) != index)
            continue;
        std::memset(record, 0, 568);
        const int32_t first = std::atoi(l[2].c_str()), second = std::atoi(l[3].c_str());
        std::memcpy(record + 8, &first, 4);
        std::memcpy(record + 12, &second, 4);
        const std::string type = Text(l[4]), type2 = Text(l[5]);
        // The texts fill their fields whole when they are long enough.
        std::memcpy(record + 424, type.c_str(), type.size() < 64 ? type.size() + 1 : 64);
        std::memcpy(record + 488, type2.c_str(), type2.size() < 80 ? type2.size() + 1 : 80);
        return StatusAt(l, 6);
    }
    return 5;
}

__declspec(dllexport) int WINAPI ZQZADC_CloseDevice(uintptr_t h)
{
    Log("CloseDevice %llu", static_cast<unsigned long long>(h));
    return 0;
}

}  // extern "C"
