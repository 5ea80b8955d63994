// Registry paths under one of the model's registry bases (model data sections 30
// and 33), shared by the stores that keep machine-wide or per-user keys there.
#pragma once
#include <cstddef>
#include <cstdint>

struct ModelDataRecord;

constexpr size_t kModelRegistryPathChars = 260;

// base + "\" + suffix into `out` (kModelRegistryPathChars), with no second
// backslash when the base ends with one. 0 when a part is missing or the path
// would not fit: a shortened path names another key.
int JoinRegistryPath(const wchar_t* base, const wchar_t* suffix, wchar_t* out);

// The model's registry base `index` (0 or 1) joined with the suffix. 1 done; 0
// when the model has no such base.
int GetModelRegistryPath(ModelDataRecord* model, uint16_t index, const wchar_t* suffix, wchar_t* out);
