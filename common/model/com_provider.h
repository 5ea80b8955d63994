// Presence test of the COM provider of user-identification values (a component
// outside the driver, asked at print time).
#pragma once
#include "common/settings/capability_bits.h"

#include <cstdint>

// With model capability 0xFFFF002B clear, *installed is 0. Otherwise *installed
// is 1 when either of the provider's two classes can be created in process.
// 1 done; 0 for a null argument.
int IsComProviderInstalledFor(const CapabilityBits* capabilities, uint32_t* installed);

struct ModelDataRecord;
// The same with the capability words of the model data; 0 for a null argument.
int IsComProviderInstalled(ModelDataRecord* model, uint32_t* installed);
