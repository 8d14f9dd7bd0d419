// The music-title notice of the system bar.
#include "shell/bar_notice.h"

// The system bar does not exist yet, so there is nowhere to show the title: the call is a
// deliberate no-op, and the system bar's notice replaces it.
void BAR_MusicNotice(const char*) {}
