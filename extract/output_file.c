#include "extract/output_file.h"

file_record output_file;
