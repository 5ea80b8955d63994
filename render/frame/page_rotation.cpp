#include "render/frame/page_rotation.h"

#include <iterator>

#include "render/device/pdev_record.h"
#include "render/frame/job_layout.h"
#include "render/image/bitblt.h"
#include "render/image/image_holder.h"

namespace {

struct CodeTurn {
    uint16_t code;
    uint16_t turn;
};

// Grid codes whose turn does not depend on the paper.
constexpr CodeTurn kGridTurns[] = {{257, 1}, {514, 1}, {771, 2}, {1028, 2}};

// Code 1542 turns by paper.
constexpr uint16_t kPaperCode = 1542;
constexpr CodeTurn kPaperTurns[] = {{1, 2},  {9, 2},  {13, 2}, {258, 2}, {283, 2},
                                    {3, 1},  {8, 1},  {12, 1}, {257, 1}, {282, 1}};

uint16_t Lookup(const CodeTurn* first, const CodeTurn* last, uint16_t code)
{
    for (; first != last; ++first)
        if (first->code == code)
            return first->turn;
    return 0;
}

}  // namespace

uint16_t RotationForCode(uint16_t code, uint16_t paperCode)
{
    if (code == kPaperCode)
        return Lookup(std::begin(kPaperTurns), std::end(kPaperTurns), paperCode);
    return Lookup(std::begin(kGridTurns), std::end(kGridTurns), code);
}

uint16_t WantedRotation(const PageRotationInput& in)
{
    for (uint16_t code : in.codes)
        if (uint16_t turn = RotationForCode(code, in.paperCode))
            return turn;
    switch (in.paperFeature) {
    case 1:
    case 2:
        return in.paperFeature;
    case 3:
        if (in.driverKind == 4)
            return in.overrideKind == 1 ? 2 : 1;
        return 2;
    default:
        return 0;
    }
}

uint16_t ExpectedRotation(const PageRotationInput& in)
{
    const bool portrait = in.orientation == 1;
    if (in.overrideKind == 1)
        return in.overrideValue;
    if (in.overrideKind != 0)
        return portrait ? 2 : 1;
    // Two and eight pages a sheet lie across the sheet from the other counts.
    if (in.pagesPerSheet == 2 || in.pagesPerSheet == 8)
        return portrait ? 1 : 2;
    return portrait ? 2 : 1;
}

bool PageNeedsRotation(const PageRotationInput& in)
{
    const uint16_t wanted = WantedRotation(in);
    return wanted != 0 && wanted != ExpectedRotation(in);
}

void ApplyPageRotation(PDevRecord* pdev)
{
    PageRotationInput in{};
    in.paperCode = pdev->requestedForm.paperNumber;
    in.driverKind = pdev->driverKind2 ? 2 : 0;
    bool turned = false;
    // The sheet's layout settings only matter once the codes or the paper ask
    // for a turn: most pages never read them.
    if (WantedRotation(in) != 0) {
        const PageGeometrySettings settings = ReadPageGeometrySettings(pdev);
        in.pagesPerSheet = static_cast<uint32_t>(settings.pagesPerSide);
        in.orientation = static_cast<uint16_t>(settings.sheetOrientation != 0 ? settings.sheetOrientation
                                                                             : settings.orientation);
        turned = PageNeedsRotation(in);
    }
    // Only a turn needs the image holder; an upright page leaves it as it is.
    if (turned || pdev->image)
        if (ImageHolder* holder = PdevImageHolder(pdev))
            holder->turnBands = turned;
}
