#include "tests/printhost/recording_driver/engine_binding.h"

bool BindRecordingEngine(RecordingEngine* engine, const char** missing)
{
    HMODULE gdi = GetModuleHandleW(L"gdi32.dll");
    HMODULE image = GetModuleHandleW(nullptr);
    auto find = [&](const char* name) -> FARPROC {
        FARPROC p = gdi ? GetProcAddress(gdi, name) : nullptr;
        return p ? p : GetProcAddress(image, name);
    };
#define RECORDING_ENGINE_BIND(name)                                             \
    engine->name = reinterpret_cast<decltype(engine->name)>(reinterpret_cast<void (*)()>(find(#name)));      \
    if (!engine->name) { if (missing) *missing = #name; return false; }
    RECORDING_ENGINE_FUNCTIONS(RECORDING_ENGINE_BIND)
#undef RECORDING_ENGINE_BIND
    return true;
}
