#include "ui/engine/page_check_tables.h"

// Each list ends with a zero pair.
const SettingRange kRecheckAllSettings[] = {
    {36905, 36905}, {4097, 4371}, {5121, 5215}, {0, 0},
};

const SettingRange kRecheckPaperSettings[] = {
    {8, 8},   {16, 16},   {13, 13},   {7, 7},       {12, 12},     {262, 262},
    {265, 265}, {14, 14}, {18, 18},   {1354, 1354}, {1321, 1321}, {0, 0},
};
