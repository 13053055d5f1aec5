#include "startup/title_text.h"

const char title_text[] = "Quillmere Ver 1.30 (C) the Quillmere developers";
