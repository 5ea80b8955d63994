#include "common/context/user_paper_limits.h"

#include "common/context/section_holder.h"
#include "common/context/settings_context.h"
#include "common/model/model_format.h"

int GetUserPaperSizeLimits(const SettingsContext* context, uint16_t paperCode, uint16_t* minWidth,
                           uint16_t* minLength, uint16_t* maxWidth, uint16_t* maxLength)
{
    if (context == nullptr || context->main == nullptr)
        return 0;
    SectionHolder paper;
    if (LoadModelTableWithOption(false, context->main, context->linked, kKindPaper, paperCode, 0, paper.out()) !=
        kModelOk)
        return 0;
    const PaperSection* record = AsPaper(paper.section);
    if (record == nullptr)
        return 0;
    // The user sizes are of the printable part: the paper's two margin pairs
    // (the blocks 24 bytes before them) make them sizes of the sheet.
    const uint32_t marginWidth = uint32_t{record->margin1.x} + record->margin2.x;
    const uint32_t marginLength = uint32_t{record->margin1.y} + record->margin2.y;
    const auto sheet = [](uint16_t user, uint32_t margins) {
        const uint32_t total = user + margins;
        return static_cast<uint16_t>(total > 0xFFFF ? 0xFFFF : total);
    };
    if (minWidth != nullptr)
        *minWidth = sheet(record->minUser.x, marginWidth);
    if (minLength != nullptr)
        *minLength = sheet(record->minUser.y, marginLength);
    if (maxWidth != nullptr)
        *maxWidth = sheet(record->maxUser.x, marginWidth);
    if (maxLength != nullptr)
        *maxLength = sheet(record->maxUser.y, marginLength);
    return 1;
}
