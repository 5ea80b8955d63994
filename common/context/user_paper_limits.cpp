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
    if (minWidth != nullptr)
        *minWidth = record->minUser.x;
    if (minLength != nullptr)
        *minLength = record->minUser.y;
    if (maxWidth != nullptr)
        *maxWidth = record->maxUser.x;
    if (maxLength != nullptr)
        *maxLength = record->maxUser.y;
    return 1;
}
