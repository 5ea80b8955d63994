#include "ui/pages/paper_margin_dialog.h"
