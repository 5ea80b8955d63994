// The printer's side of the method-8 image code, for tests: decodes what the
// coder wrote back into rows, so that tests can check every band round-trips.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct DecodedBand {
    std::vector<uint8_t> rows;  // packed rows: 3 bytes a pixel for RGB, else 1
    size_t bytesUsed = 0;       // up to and including the end code and its padding
    std::string error;          // empty when the code was well formed
};

DecodedBand DecodePredictorCode(const uint8_t* code, size_t length, bool rgb, uint32_t width, uint32_t rows);
