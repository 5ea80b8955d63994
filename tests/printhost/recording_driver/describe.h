// Text forms of the engine objects a drawing call receives, enumerated through
// the engine's own callbacks.
#pragma once

#include "tests/printhost/recording_driver/engine_binding.h"

#include <string>

extern RecordingEngine g_engine;

// What DrvRealizeBrush keeps of a pattern brush.
struct RecordingBrush {
    ULONG hatch;
    ULONG format;
    SIZEL size;
    ULONG colours[2];
};

std::string Fix(FIX value);
std::string DescribePath(PATHOBJ* path);
std::string DescribeClip(CLIPOBJ* clip);
std::string DescribeBrush(BRUSHOBJ* brush);
std::string DescribeLine(LINEATTRS* line);
std::string DescribeXform(XFORMOBJ* xform);
std::string DescribeSurface(SURFOBJ* surface);
std::string DescribeXlate(XLATEOBJ* xlate);
std::string DescribeRect(const RECTL* rect);
std::string DescribeString(STROBJ* text, FONTOBJ* font);
std::string DescribeFont(FONTOBJ* font);
