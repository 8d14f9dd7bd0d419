// The streaming tests run the sound code without the system bar: the music-title notice goes nowhere.
#include "shell/bar_notice.h"

void BAR_MusicNotice(const char*) {}
