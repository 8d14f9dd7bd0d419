// The title subsystem's least form: the full logo, title and ranking screens are not specified.
#include "title/title.h"

int32_t TITLE_PlayKind = 0;
