// Lowers the resolution of image rows before they are coded: each target
// pixel is the area-weighted average of the source pixels it covers.
#pragma once
#include <windows.h>

#include <cstdint>

// A handle to movable global memory.
using ImageReducer = HGLOBAL;

// `bytesPerPixel` 1 (grey or index) or 3 (RGB); null without memory.
ImageReducer CreateImageReducer(uint32_t bytesPerPixel);
void FreeImageReducer(ImageReducer reducer);

// Mode 1 only: resolutions of the source in x and y and of the target. 0 or -1.
int SetImageReducerUnits(ImageReducer reducer, int mode, int32_t sourceX, int32_t sourceY, int32_t target);
// The reduced size of a w x h source drawn W x H device pixels. 0 or -1.
int ComputeReducedImageSize(ImageReducer reducer, int32_t w, int32_t h, int32_t drawnWidth, int32_t drawnHeight,
                            int32_t* width, int32_t* height);
// The target may not be larger than the source, nor smaller than a
// fourteenth of it (by integer ratio) in either axis. 0 or -1.
int SetImageReducerSizes(ImageReducer reducer, int32_t sourceWidth, int32_t sourceHeight, int32_t targetWidth,
                         int32_t targetHeight);
// Source rows top down, one at a time. 0 or -1 (past the last row).
int PutImageReducerRow(ImageReducer reducer, const uint8_t* row);
// 1 with the next target row copied out when one is complete, else 0; -1 on a bad handle.
int GetReducedImageRow(ImageReducer reducer, uint8_t* row);
