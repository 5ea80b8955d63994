// The settings-access library: the setting engine and the DMA_ interface for
// other programs, 64-bit (morvadm) and 32-bit (morvadm32) from this same source.
#include "access/dma_interface.h"
#include "common/settings/value_engine.h"
#include "common/settings/capability_bits.h"
#include "common/settings/color_matrix.h"
#include "common/settings/item_layout.h"
#include "common/settings/position_translation.h"
#include "common/settings/value_types.h"

#include <windows.h>

#include <cstddef>
#include <type_traits>

// Records that cross process and architecture boundaries keep one layout.
static_assert(sizeof(CapabilityBits) == 12);
static_assert(sizeof(ColorAdjustMatrix) == 48);
static_assert(offsetof(ColorAdjustMatrix, offset) == 36);
static_assert(sizeof(PositionRecord) == 8);
static_assert(sizeof(DEVMODEW) == kPublicDevmodeSize);
static_assert(sizeof(LOGFONTW) == kLogFontSize);
static_assert(kSettingsRecordSize == 5900);

// The engine's exports must keep their C names for GetProcAddress.
static_assert(std::is_same_v<decltype(&dma_GetValue), DmaGetValueProc>);
static_assert(std::is_same_v<decltype(&dma_SetValue), DmaSetValueProc>);

// Nothing to set up or tear down: the engine keeps no state.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
