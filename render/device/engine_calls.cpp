#include "render/device/engine_calls.h"

EngineCalls g_engine;

bool BindEngineCalls(const char** missing)
{
    HMODULE gdi = GetModuleHandleW(L"gdi32.dll");
    HMODULE image = GetModuleHandleW(nullptr);
    auto find = [&](const char* name) -> FARPROC {
        FARPROC p = gdi ? GetProcAddress(gdi, name) : nullptr;
        return p ? p : GetProcAddress(image, name);
    };
    EngineCalls bound{};
#define MORVA_ENGINE_BIND(name)                                                                        \
    bound.name = reinterpret_cast<decltype(bound.name)>(reinterpret_cast<void (*)()>(find(#name)));   \
    if (!bound.name) {                                                                                 \
        if (missing) *missing = #name;                                                                 \
        return false;                                                                                  \
    }
    MORVA_ENGINE_CALLS(MORVA_ENGINE_BIND)
#undef MORVA_ENGINE_BIND
    g_engine = bound;
    return true;
}

bool EngineCallsBound()
{
    return g_engine.EngFreeMem != nullptr;
}
