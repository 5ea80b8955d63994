// Masks made in place from image rows: every row starts `rowBytes` after the
// one before, so padded rows keep their padding untouched.
#pragma once
#include <cstddef>
#include <cstdint>

// Rows of `pixels` 3-byte RGB pixels: a pixel of (255, 255, 255) stays white,
// every other becomes (0, 0, 0). Nothing for a null buffer or a row step
// shorter than a row.
void KeepWhiteMask(uint8_t* rows, size_t rowBytes, size_t pixels, size_t rowCount);

// Rows of `length` bytes: each byte inverted. Nothing for a null buffer or a
// row step shorter than a row.
void InvertBytes(uint8_t* rows, size_t rowBytes, size_t length, size_t rowCount);
