#include "ui/layout_units.h"

int unit_x, unit_y, list_item_height;
