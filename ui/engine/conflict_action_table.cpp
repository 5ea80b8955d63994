#include "ui/engine/conflict_action_table.h"

// Paper, copies, fax and job settings ask or check their range first (12);
// numeric fields are held to their ranges (8); the stamp list and its add
// action count the stored stamps (16); the page grid, the poster/booklet
// switch, the output paper and the paper size must fit the page layout (bit
// 64), and a grid or job-header change may be fixed by the engine first (bit
// 32); the orientations are refused without a value and with one recompute the
// finishing positions (132).
const ConflictActionRow ConflictActionTable[kConflictActionRows + 1] = {
    {11, 12, 2},    {12, 12, 2},    {1814, 12, 2},  {1801, 12, 2},  {1802, 12, 2},  {1812, 12, 2},
    {8210, 12, 2},  {323, 12, 2},   {475, 12, 2},   {477, 12, 2},   {472, 12, 2},

    {451, 8, 2},    {452, 8, 2},    {268, 8, 2},    {269, 8, 2},    {460, 8, 2},    {461, 8, 2},
    {274, 8, 2},    {275, 8, 2},    {276, 8, 2},    {277, 8, 2},    {278, 8, 2},    {279, 8, 2},
    {280, 8, 2},    {281, 8, 2},    {282, 8, 2},    {283, 8, 2},    {284, 8, 2},    {285, 8, 2},
    {324, 8, 2},    {401, 8, 2},    {392, 8, 2},    {395, 8, 2},    {398, 8, 2},    {393, 8, 2},
    {402, 8, 2},    {396, 8, 2},    {399, 8, 2},    {403, 8, 2},    {394, 8, 2},    {397, 8, 2},
    {400, 8, 2},    {263, 8, 2},    {306, 8, 2},    {359, 8, 2},    {385, 8, 2},    {311, 8, 2},
    {309, 8, 2},    {310, 8, 2},    {1863, 8, 2},   {1864, 8, 2},   {470, 8, 2},    {1856, 8, 2},

    {36865, 16, 2}, {272, 16, 2},

    {296, 36, 68},
    {321, 100, 2},
    {262, 68, 2},
    {8, 100, 2},
    {295, 1, 132},  {7, 1, 132},
    {1333, 36, 2},

    {0, 0, 0},
};

uint16_t LookUpConflictFlags(uint16_t id, bool hasValue)
{
    uint16_t flags = kDefaultConflictFlags;
    uint16_t alternate = kDefaultAlternateFlags;
    for (const ConflictActionRow* row = ConflictActionTable; row->id != 0; ++row) {
        if (row->id == id) {
            flags = row->conflictFlags;
            alternate = row->alternateFlags;
            break;
        }
    }
    if (!(alternate & kActionAlternateKeep) && hasValue)
        flags = alternate;
    return flags;
}
