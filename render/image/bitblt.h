// The common body of DrvBitBlt, DrvStretchBlt, DrvCopyBits and
// DrvStretchBltROP: a filled rectangle, a brush fill or an image.
#pragma once
#include <windows.h>
#include <winddi.h>

#include <cstdint>

struct PDevRecord;
struct ImageHolder;

// Which entry called; the values are those of the image body's modes.
enum BlitCall : int { kBlitCopyBits = 0, kBlitStretch = 1, kBlitBitBlt = 2, kBlitStretchRop = 3 };

// `sourceRect` is the stretched source (null for the unstretched calls, whose
// source starts at `sourcePoint` and has the destination's size).
// 1 done, 0 failed.
int BitBltCommon(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate, const RECTL* dest,
                 const RECTL* sourceRect, const POINTL* sourcePoint, const POINTL* maskPoint, BRUSHOBJ* brush,
                 const POINTL* brushOrigin, ROP4 rop4, BlitCall call);

// The device record's image holder, made at the first image of a job.
ImageHolder* PdevImageHolder(PDevRecord* pdev);
void FreePdevImages(PDevRecord* pdev);
// Sends the bands held back; before paths, text, rectangles and at the page end.
int FlushPdevImages(PDevRecord* pdev);
