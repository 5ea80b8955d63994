#include "tests/printhost/recording_driver/page_caps.h"

#include <cstring>

void FillTestDriverCaps(GDIINFO* caps, DEVINFO* info, LONG dpi)
{
    std::memset(caps, 0, sizeof(GDIINFO));
    caps->ulVersion = 0x400;
    caps->ulTechnology = DT_RASPRINTER;
    caps->ulHorzSize = 210;
    caps->ulVertSize = 297;
    const SIZEL page = TestDriverPageAt(dpi);
    caps->ulHorzRes = page.cx;
    caps->ulVertRes = page.cy;
    caps->cBitsPixel = 24;
    caps->cPlanes = 1;
    caps->ulNumColors = 0xFFFFFF;
    caps->ulLogPixelsX = caps->ulLogPixelsY = dpi;
    caps->ulAspectX = caps->ulAspectY = dpi;
    caps->ulAspectXY = dpi * 1414 / 1000;
    caps->xStyleStep = caps->yStyleStep = 1;
    caps->denStyleStep = dpi / 25;
    caps->szlPhysSize = page;
    caps->ulHTOutputFormat = HT_FORMAT_24BPP;
    std::memset(info, 0, sizeof(DEVINFO));
    info->flGraphicsCaps = GCAPS_BEZIERS | GCAPS_GEOMETRICWIDE | GCAPS_ALTERNATEFILL | GCAPS_WINDINGFILL |
                           GCAPS_HALFTONE | GCAPS_OPAQUERECT;
    info->iDitherFormat = BMF_24BPP;
}
